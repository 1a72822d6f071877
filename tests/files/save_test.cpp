// Saving a file: what each kind of target becomes (files, links, what is no file), the backup,
// the permissions kept, and that a refusal changes nothing and leaves no temporary file. (Content
// that fails part way: tests/render/png_test.cpp, tests/app/files_test.cpp.)
#include "cad/files/save.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/case_file.h"
#include "tests/support/files.h"

namespace cad {
namespace {

namespace fs = std::filesystem;

class Folder : public testing::TempDir {
 public:
  void write(const std::string& name, const std::string& text, mode_t mode = 0644) const {
    TempDir::write(name, text);
    chmod((path() / name).c_str(), mode);
  }
  // Every name in the folder and its subfolders, relative to it, sorted.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(path()))
      names.push_back(entry.path().lexically_relative(path()).string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

mode_t mode_of(const fs::path& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return 0;
  return st.st_mode;
}

// Entries of a folder, a blank between two: "name=text" a file of that text, with "@" and the
// octal mode after it its permissions (else 0644); "name->target" a link; "name/" a folder;
// "name|" a pipe.
struct Entry {
  std::string name;
  char kind;  // '=', '>', '/' or '|'
  std::string text;
  int mode = 0644;
};

std::vector<Entry> entries(const std::string& text) {
  std::vector<Entry> out;
  std::istringstream in(text);
  for (std::string e; in >> e;) {
    const size_t link = e.find("->"), file = e.find('='), at = e.find('@');
    if (link != std::string::npos)
      out.push_back({e.substr(0, link), '>', e.substr(link + 2)});
    else if (file == std::string::npos)
      out.push_back({e.substr(0, e.size() - 1), e.back(), ""});
    else
      out.push_back({e.substr(0, file), '=', e.substr(file + 1, at - file - 1),
                     at == std::string::npos ? 0644 : std::stoi(e.substr(at + 1), nullptr, 8)});
  }
  return out;
}

void make(const Folder& f, const std::string& text) {
  for (const Entry& e : entries(text)) {
    if (e.kind == '>') fs::create_symlink(e.text, f / e.name);
    if (e.kind == '/') fs::create_directory(f / e.name);
    if (e.kind == '|') mkfifo((f / e.name).c_str(), 0644);
    if (e.kind == '=') f.write(e.name, e.text, e.mode);
  }
}

// Expects the folder to hold the entries and nothing else.
void expect_holds(const Folder& f, const std::string& text) {
  std::vector<std::string> names;
  for (const Entry& e : entries(text)) {
    SCOPED_TRACE(e.name);
    names.push_back(e.name);
    const mode_t mode = mode_of(f / e.name);
    const char kind = S_ISLNK(mode) ? '>' : S_ISDIR(mode) ? '/' : S_ISFIFO(mode) ? '|' : '=';
    EXPECT_EQ(kind, e.kind);
    EXPECT_EQ(kind == '>'   ? fs::read_symlink(f / e.name).string()
              : kind == '=' ? f.read(e.name).value_or("<none>")
                            : "",
              e.text);
    if (kind == '=') {
      EXPECT_EQ(static_cast<int>(mode & 07777), e.mode);
    }
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(f.listing(), names);
}

TEST(SaveFile, EveryKindOfTargetIsWrittenFollowedOrRefusedAndNothingStrayStays) {
  const struct {
    const char* what;
    const char* before;  // the folder before the save of "new" to plan.dxf
    bool backup;
    // After "cannot save <folder>/plan.dxf: ", {} standing for the folder; empty when it saves.
    const char* error;
    const char* after;  // the folder after it
  } cases[] = {
      {"a new file", "", true, "", "plan.dxf=new"},
      {"an existing file keeps its permissions; its backup has them too", "plan.dxf=old@640", true,
       "", "plan.dxf=new@640 plan.bak=old@640"},
      {"an existing backup is replaced", "plan.dxf=old plan.bak=older", true, "",
       "plan.dxf=new plan.bak=old"},
      {"no backup unless asked", "plan.dxf=old", false, "", "plan.dxf=new"},
      {"a link is followed into another folder and kept",
       "real/ real/plan.dxf=old plan.dxf->real/plan.dxf", true, "",
       "real/ plan.dxf->real/plan.dxf real/plan.dxf=new real/plan.bak=old"},
      {"a chain of links to a link to nothing makes the last one's target",
       "plan.dxf->middle middle->target.dxf", true, "",
       "plan.dxf->middle middle->target.dxf target.dxf=new"},
      {"links in a loop", "plan.dxf->other other->plan.dxf", true,
       "too many levels of symbolic links", "plan.dxf->other other->plan.dxf"},
      {"a pipe", "plan.dxf|", true, "is a pipe, not a file", "plan.dxf|"},
      {"a folder", "plan.dxf/", true, "is a folder, not a file", "plan.dxf/"},
      {"a link to a pipe", "pipe| plan.dxf->pipe", true, "is a pipe, not a file",
       "pipe| plan.dxf->pipe"},
      {"a read-only file is refused, whoever saves", "plan.dxf=old@444", true,
       "the file is read-only", "plan.dxf=old@444"},
      {"a file only its owner could run, and nobody write, is read-only", "plan.dxf=old@500", false,
       "the file is read-only", "plan.dxf=old@500"},
      {"a link to a read-only file", "real/ real/plan.dxf=old@444 plan.dxf->real/plan.dxf", true,
       "the file is read-only", "real/ real/plan.dxf=old@444 plan.dxf->real/plan.dxf"},
      {"a read-only backup saves nothing", "plan.dxf=old plan.bak=older@444", true,
       "cannot save {}/plan.bak: the file is read-only", "plan.dxf=old plan.bak=older@444"},
      {"a read-only backup is no matter when none is made", "plan.dxf=old plan.bak=older@444",
       false, "", "plan.dxf=new plan.bak=older@444"},
      {"a backup that cannot be made saves nothing", "plan.dxf=old plan.bak/", true,
       "cannot save {}/plan.bak: is a folder, not a file", "plan.dxf=old plan.bak/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Folder folder;
    make(folder, c.before);
    const std::string path = (folder / "plan.dxf").string();
    std::string error;
    const bool saved = save_file(path, "new", {.backup = c.backup}, &error);
    const std::string expected = testing::replace_all(c.error, "{}", folder.path().string());
    EXPECT_EQ(saved, expected.empty()) << error;
    if (!expected.empty()) {
      EXPECT_EQ(error, "cannot save " + path + ": " + expected);
    }
    expect_holds(folder, c.after);
  }
}

// Whether save_file, run by the user "nobody" in a child process that has become that user,
// fails with the error expected; the child says what it got instead.
bool fails_as_nobody(const std::string& path, const std::string& expected) {
  constexpr uid_t kNobody = 65534;
  const pid_t pid = fork();
  if (pid == 0) {
    std::string error = "cannot become nobody";
    if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0 &&
        save_file(path, "new", {.backup = true}, &error))
      error = "saved";
    if (error != expected) std::fprintf(stderr, "as nobody: %s\n", error.c_str());
    _exit(error == expected ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An ordinary user may not replace a file only its owner may write, nor make a file in a folder
// without write permission for them, though a rename in a folder they may write would replace
// the file.
TEST(SaveFile, WhatTheUserMayNotWriteIsRefusedAndLeftAlone) {
  if (geteuid() != 0) GTEST_SKIP() << "saving as another user needs root";
  Folder folder;
  chmod(folder.path().c_str(), 0777);
  folder.write("theirs.dxf", "old", 0644);
  fs::create_directory(folder / "locked");
  chmod((folder / "locked").c_str(), 0555);
  const std::pair<std::string, std::string> tries[] = {
      {"theirs.dxf", "no permission to write the file"},
      {"locked/new.dxf", "no permission to write in the folder " + (folder / "locked").string()},
  };
  for (const auto& [name, why] : tries) {
    const std::string path = (folder / name).string();
    EXPECT_TRUE(fails_as_nobody(path, "cannot save " + path + ": " + why)) << name;
  }
  expect_holds(folder, "locked/ theirs.dxf=old");
}

// As root the test makes a device of its own (the null device's numbers) in place of the target;
// a save that replaced it would leave a plain file there.
TEST(SaveFile, DeviceIsRefusedAndLeftAlone) {
  Folder folder;
  const fs::path device = folder / "null";
  if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
    GTEST_SKIP() << "making a device needs root";
  std::string error;
  EXPECT_FALSE(save_file(device.string(), "text", {}, &error));
  EXPECT_EQ(error, "cannot save " + device.string() + ": is a device, not a file");
  EXPECT_TRUE(S_ISCHR(mode_of(device)));
  EXPECT_EQ(folder.listing(), std::vector<std::string>{"null"});
}

}  // namespace
}  // namespace cad
