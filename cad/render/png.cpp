#include "cad/render/png.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

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

bool fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

// Runs the converter with its error output read back through a pipe; empty when it succeeded.
std::string run(const std::string& program, const std::string& svg_path,
                const std::string& png_path, bool* ok) {
  *ok = false;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return std::string("cannot make a pipe: ") + std::strerror(errno);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::string arg0(kConverter);
  std::string format = "--format=png";
  std::string output = "--output=" + png_path;
  std::string input = svg_path;
  char* argv[] = {arg0.data(), format.data(), output.data(), input.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
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
  if (spawned != 0) return "cannot start " + program + ": " + std::strerror(spawned);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  while (!messages.empty() && (messages.back() == '\n' || messages.back() == '\r'))
    messages.pop_back();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    *ok = true;
    return {};
  }
  std::string report = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                         : "ended by signal " + std::to_string(WTERMSIG(status));
  if (!messages.empty()) report += ": " + messages;
  return report;
}

}  // namespace

bool write_png(const std::string& svg_path, const std::string& png_path, std::string* error) {
  const std::string program = find_converter();
  if (program.empty()) {
    return fail(error, "cannot write " + png_path +
                           ": rsvg-convert is not installed (Debian package librsvg2-bin)");
  }
  bool ok = false;
  const std::string report = run(program, svg_path, png_path, &ok);
  if (!ok)
    return fail(error, "rsvg-convert could not turn " + svg_path + " into " + png_path + " (" +
                           report + ")");
  return true;
}

}  // namespace cad
