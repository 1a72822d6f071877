// Saving through a temporary file beside the target (see save.h).
#include "cad/files/save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "cad/base/text.h"

namespace cad {

namespace {

namespace fs = std::filesystem;

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

// The file a chain of symbolic links at path ends in (path itself when it is no link). The
// links of its folders need no following: a rename within the folder goes through them.
bool final_target(const std::string& path, std::string* target, std::string* why) {
  fs::path at = path;
  for (int links = 0;; ++links) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = at.string();
      return true;
    }
    if (links == kMaxLinks) {
      errno = ELOOP;
      *why = errno_text(errno);
      return false;
    }
    std::error_code ec;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) {
      *why = ec.message();
      return false;
    }
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
}

std::string not_a_file(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder, not a file";
  if (S_ISFIFO(mode)) return "is a pipe, not a file";
  if (S_ISSOCK(mode)) return "is a socket, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
  return "is not a regular file";
}

// The new file, made beside its target under a name of our own, so that the rename stays within
// one file system; removed unless it was renamed over the target.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  bool create(const std::string& dir, const std::string& base, std::string* why) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name =
          dir + "/." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
      fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) {
        path_ = std::move(name);
        return true;
      }
      if (errno != EEXIST) {
        *why = "cannot create a file in " + dir + ": " + errno_text(errno);
        return false;
      }
    }
    *why = "cannot create a temporary file in " + dir;
    return false;
  }

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

  // Flushes the content to the disk and closes the file.
  bool finish(std::string* why) {
    const bool synced = ::fsync(fd_) == 0;
    if (!synced) *why = errno_text(errno);
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (synced && !closed) *why = errno_text(errno);
    return synced && closed;
  }

  // The file was renamed over its target: nothing to remove.
  void keep() { path_.clear(); }

 private:
  int fd_ = -1;
  std::string path_;
};

// Gives the new file the permissions (and, where the process may, the owner) of the one it
// replaces. The owner first: changing it clears the set-user-ID bits that the mode then restores.
void take_mode(int fd, const struct stat& of) {
  if (of.st_uid != ::geteuid() || of.st_gid != ::getegid()) {
    // Only a privileged process may give a file away; others keep it as their own.
    [[maybe_unused]] const int ignored = ::fchown(fd, of.st_uid, of.st_gid);
  }
  ::fchmod(fd, of.st_mode & 07777);
}

FileContent copy_of(const std::string& source) {
  return [source](int fd, std::string* why) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
      *why = "cannot read " + source + ": " + errno_text(errno);
      return false;
    }
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
      const ssize_t got = ::read(in, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        *why = "cannot read " + source + ": " + errno_text(errno);
        ok = false;
        break;
      }
      if (!write_all(fd, std::string_view(buffer, static_cast<size_t>(got)))) {
        *why = errno_text(errno);
        ok = false;
        break;
      }
    }
    ::close(in);
    return ok;
  };
}

// The rename is durable once the folder is flushed too.
void sync_folder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// save_file, with the permissions taken from mode_of when given (a backup has those of the file
// it keeps) instead of from the file replaced.
bool save(const std::string& path, const FileContent& content, bool backup,
          const struct stat* mode_of, std::string* error) {
  std::string why;
  auto failed = [&](const std::string& reason) {
    if (error) *error = "cannot save " + path + ": " + reason;
    return false;
  };
  if (path.empty()) {
    if (error) *error = "cannot save: no file name given";
    return false;
  }
  std::string target;
  if (!final_target(path, &target, &why)) return failed(why);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return failed(errno_text(errno));
  if (exists && !S_ISREG(old.st_mode)) return failed(not_a_file(old.st_mode));
  // The rename would replace a file whatever its permissions say, as the folder's permissions
  // allow it; the file's own are asked here, as writing it in place would ask them. A file
  // nobody may write is read-only to root as well.
  if (exists && (old.st_mode & 0222) == 0) return failed("the file is read-only");
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
    return failed("no permission to write the file");
  const fs::path target_path(target);
  const std::string base = target_path.filename().string();
  if (base.empty()) return failed("no file name");
  const std::string dir =
      target_path.has_parent_path() ? target_path.parent_path().string() : std::string(".");
  if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno == EACCES) {
    std::error_code ec;
    const std::string shown = dir == "." ? fs::current_path(ec).string() : dir;
    return failed("no permission to write in the folder " + shown);
  }

  TempFile temp;
  if (!temp.create(dir, base, &why)) return failed(why);
  if (mode_of)
    take_mode(temp.fd(), *mode_of);
  else if (exists)
    take_mode(temp.fd(), old);
  if (!content(temp.fd(), &why) || !temp.finish(&why)) return failed(why);
  if (backup && exists) {
    const std::string kept = backup_name(target);
    std::string backup_error;
    if (kept != target && !save(kept, copy_of(target), false, &old, &backup_error))
      return failed(backup_error);
  }
  if (::rename(temp.path().c_str(), target.c_str()) != 0) return failed(errno_text(errno));
  temp.keep();
  sync_folder(dir);
  return true;
}

}  // namespace

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool same_file(const std::string& a, const std::string& b) {
  std::string target_a, target_b, why;
  if (!final_target(a, &target_a, &why) || !final_target(b, &target_b, &why)) return false;
  struct stat st_a {};
  struct stat st_b {};
  const bool exists_a = ::stat(target_a.c_str(), &st_a) == 0;
  const bool exists_b = ::stat(target_b.c_str(), &st_b) == 0;
  if (exists_a || exists_b)
    return exists_a && exists_b && st_a.st_dev == st_b.st_dev && st_a.st_ino == st_b.st_ino;
  std::error_code ec_a, ec_b;
  const fs::path full_a = fs::weakly_canonical(fs::absolute(target_a, ec_a), ec_a);
  const fs::path full_b = fs::weakly_canonical(fs::absolute(target_b, ec_b), ec_b);
  return !ec_a && !ec_b && full_a == full_b;
}

std::string backup_name(const std::string& path) {
  return fs::path(path).replace_extension(".bak").string();
}

bool save_file(const std::string& path, const FileContent& content, const SaveOptions& options,
               std::string* error) {
  return save(path, content, options.backup, nullptr, error);
}

bool save_file(const std::string& path, std::string_view data, const SaveOptions& options,
               std::string* error) {
  return save_file(
      path,
      [data](int fd, std::string* why) {
        if (write_all(fd, data)) return true;
        *why = errno_text(errno);
        return false;
      },
      options, error);
}

}  // namespace cad
