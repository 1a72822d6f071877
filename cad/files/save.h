// Saving a file, the one way the host saves every file it writes (drawings, their backups,
// pictures): the new content goes to a temporary file beside the target, reaches the disk, and is
// renamed over the target, so that the target is always either the old file or the whole new one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cad {

// Writes the new file's content to fd (the temporary file, open for writing); false with the
// reason in *why.
using FileContent = std::function<bool(int fd, std::string* why)>;

struct SaveOptions {
  // Keeps the file that is replaced as its backup (backup_name), as the host does for drawings.
  bool backup = false;
};

// Saves content at path:
//   - a symbolic link is followed to its final target, which is written (the temporary file is
//     made in the target's folder) and the link kept; a link to nothing makes its target;
//   - a target that exists and is not a regular file (a folder, device, pipe, socket) is refused
//     and left alone;
//   - so is a file that nobody may write (no write permission in its mode), as the real host
//     refuses to save over a read-only file, for a privileged process too ("the file is
//     read-only"); and a file, or a folder to make the new file in, that this process may not
//     write;
//   - an existing target keeps its permissions (and owner, where the process may set it); a new
//     one gets those the process's umask gives;
//   - with backup, an existing target is first saved the same way as its backup, with its
//     permissions; a failed backup saves nothing.
// On any failure nothing at path (or its target) changes, no temporary file stays, *error (when
// given) reads "cannot save PATH: why", and the result is false.
bool save_file(const std::string& path, const FileContent& content, const SaveOptions& options,
               std::string* error);
bool save_file(const std::string& path, std::string_view data, const SaveOptions& options,
               std::string* error);

// The backup of a file: its name with the extension replaced by ".bak" (plan.dxf: plan.bak), or
// ".bak" added to a name without one.
std::string backup_name(const std::string& path);

// Whether saving at a and saving at b would write the same file: links followed to their final
// targets as save_file follows them; an existing file known by its device and inode (another
// spelling of its path, a hard link), one still to be made by its absolute path with ".", ".."
// and the links of its folders resolved.
bool same_file(const std::string& a, const std::string& b);

// Writes all of data to fd, retrying short writes; false with errno set on failure.
bool write_all(int fd, std::string_view data);

}  // namespace cad
