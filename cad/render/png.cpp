#include "cad/render/png.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "cad/base/text.h"
#include "cad/files/save.h"

extern char** environ;

namespace cad {

namespace {

constexpr std::string_view kConverter = "rsvg-convert";

// The converter's path on PATH, or empty.
std::string find_converter() {
  const char* path = std::getenv("PATH");
  std::string_view dirs = path ? path : "";
  while (!dirs.empty()) {
    const size_t colon = dirs.find(':');
    std::string_view dir = dirs.substr(0, colon);
    dirs = colon == std::string_view::npos ? std::string_view{} : dirs.substr(colon + 1);
    std::string candidate = dir.empty() ? "." : std::string(dir);
    candidate += '/';
    candidate += kConverter;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

// Runs the converter on the SVG text (its standard input, an anonymous file holding the text)
// with its picture going to out_fd and its error output read back through a pipe; false with the
// reason in *why.
bool convert(const std::string& program, std::string_view svg, int out_fd, std::string* why) {
  const int svg_fd = memfd_create("dulk-svg", MFD_CLOEXEC);
  if (svg_fd < 0) {
    *why = "cannot hold the picture for rsvg-convert: " + errno_text(errno);
    return false;
  }
  if (!write_all(svg_fd, svg) || lseek(svg_fd, 0, SEEK_SET) != 0) {
    *why = "cannot hold the picture for rsvg-convert: " + errno_text(errno);
    close(svg_fd);
    return false;
  }
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
    *why = "cannot make a pipe: " + errno_text(errno);
    close(svg_fd);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, svg_fd, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
  std::string arg0(kConverter);
  std::string format = "--format=png";
  char* argv[] = {arg0.data(), format.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(svg_fd);
  close(pipe_fds[1]);
  std::string messages;
  if (spawned == 0) {
    char buf[4096];
    ssize_t got = 0;
    while ((got = read(pipe_fds[0], buf, sizeof buf)) > 0 || (got < 0 && errno == EINTR)) {
      if (got > 0) messages.append(buf, static_cast<size_t>(got));
    }
  }
  close(pipe_fds[0]);
  if (spawned != 0) {
    *why = "cannot start " + program + ": " + std::strerror(spawned);
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  while (!messages.empty() && (messages.back() == '\n' || messages.back() == '\r'))
    messages.pop_back();
  *why = "rsvg-convert could not make the picture (" +
         (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                            : "ended by signal " + std::to_string(WTERMSIG(status)));
  if (!messages.empty()) *why += ": " + messages;
  *why += ")";
  return false;
}

constexpr std::string_view kNotInstalled =
    "rsvg-convert is not installed (Debian package librsvg2-bin)";

// The picture in an anonymous file, read back whole.
bool picture_bytes(const std::string& program, std::string_view svg, std::string* png,
                   std::string* why) {
  const int fd = memfd_create("dulk-png", MFD_CLOEXEC);
  if (fd < 0) {
    *why = "cannot hold the picture: " + errno_text(errno);
    return false;
  }
  bool ok = convert(program, svg, fd, why);
  if (ok && lseek(fd, 0, SEEK_SET) != 0) {
    *why = "cannot read the picture back: " + errno_text(errno);
    ok = false;
  }
  char buf[1 << 16];
  for (ssize_t got = 0; ok && (got = read(fd, buf, sizeof buf)) != 0;) {
    if (got > 0) {
      png->append(buf, static_cast<size_t>(got));
    } else if (errno != EINTR) {
      *why = "cannot read the picture back: " + errno_text(errno);
      ok = false;
    }
  }
  close(fd);
  return ok;
}

}  // namespace

bool save_png(std::string_view svg, const std::string& png_path, std::string* error) {
  const std::string program = find_converter();
  if (program.empty()) {
    if (error) *error = "cannot save " + png_path + ": " + std::string(kNotInstalled);
    return false;
  }
  return save_file(
      png_path, [&](int fd, std::string* why) { return convert(program, svg, fd, why); }, {},
      error);
}

bool write_png(std::string_view svg, int fd, const std::string& where, std::string* error) {
  const std::string program = find_converter();
  std::string why(kNotInstalled);
  std::string png;
  if (!program.empty() && picture_bytes(program, svg, &png, &why)) {
    if (write_all(fd, png)) return true;
    why = errno_text(errno);
  }
  if (error) *error = "cannot write the PNG picture to " + where + ": " + why;
  return false;
}

}  // namespace cad
