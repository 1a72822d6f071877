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
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

struct Case {
  const char* what;
  std::function<void(const Folder&)> make;  // the folder before the save of "plan.dxf"
  bool backup;
  // After "cannot save <folder>/plan.dxf: ", {} standing for the folder; empty when it saves.
  std::string error;
  // Checks the folder after the save; the listing holds the names there, sorted.
  std::vector<std::string> listing;
  std::function<void(const Folder&)> check;
};

Case C(const char* what, std::function<void(const Folder&)> make, bool backup, std::string error,
       std::vector<std::string> listing, std::function<void(const Folder&)> check) {
  return {what, std::move(make), backup, std::move(error), std::move(listing), std::move(check)};
}

TEST(SaveFile, EveryKindOfTargetIsWrittenFollowedOrRefusedAndNothingStrayStays) {
  const std::string kNew = "new content";
  auto has = [](const std::string& name, const std::string& text) {
    return [name, text](const Folder& f) { EXPECT_EQ(f.read(name), text) << name; };
  };
  const Case cases[] = {
      C(
          "a new file", [](const Folder&) {}, true, "", {"plan.dxf"}, has("plan.dxf", kNew)),
      C(
          "an existing file keeps its permissions; its backup has them too",
          [](const Folder& f) { f.write("plan.dxf", "old", 0640); }, true, "",
          {"plan.bak", "plan.dxf"},
          [&](const Folder& f) {
            has("plan.dxf", kNew)(f);
            has("plan.bak", "old")(f);
            EXPECT_EQ(mode_of(f / "plan.dxf") & 07777, 0640u);
            EXPECT_EQ(mode_of(f / "plan.bak") & 07777, 0640u);
          }),
      C(
          "an existing backup is replaced",
          [](const Folder& f) {
            f.write("plan.dxf", "old");
            f.write("plan.bak", "older");
          },
          true, "", {"plan.bak", "plan.dxf"}, has("plan.bak", "old")),
      C(
          "no backup unless asked", [](const Folder& f) { f.write("plan.dxf", "old"); }, false, "",
          {"plan.dxf"}, has("plan.dxf", kNew)),
      C(
          "a link is followed into another folder and kept",
          [](const Folder& f) {
            fs::create_directory(f / "real");
            f.write("real/plan.dxf", "old");
            fs::create_symlink("real/plan.dxf", f / "plan.dxf");
          },
          true, "", {"plan.dxf", "real", "real/plan.bak", "real/plan.dxf"},
          [&](const Folder& f) {
            EXPECT_TRUE(fs::is_symlink(f / "plan.dxf"));
            has("real/plan.dxf", kNew)(f);
            has("real/plan.bak", "old")(f);
          }),
      C(
          "a chain of links to a link to nothing makes the last one's target",
          [](const Folder& f) {
            fs::create_symlink("middle", f / "plan.dxf");
            fs::create_symlink("target.dxf", f / "middle");
          },
          true, "", {"middle", "plan.dxf", "target.dxf"},
          [&](const Folder& f) {
            EXPECT_TRUE(fs::is_symlink(f / "plan.dxf"));
            EXPECT_TRUE(fs::is_symlink(f / "middle"));
            has("target.dxf", kNew)(f);
          }),
      C(
          "links in a loop",
          [](const Folder& f) {
            fs::create_symlink("other", f / "plan.dxf");
            fs::create_symlink("plan.dxf", f / "other");
          },
          true, "too many levels of symbolic links", {"other", "plan.dxf"}, nullptr),
      C(
          "a pipe", [](const Folder& f) { mkfifo((f / "plan.dxf").c_str(), 0644); }, true,
          "is a pipe, not a file", {"plan.dxf"},
          [](const Folder& f) { EXPECT_TRUE(S_ISFIFO(mode_of(f / "plan.dxf"))); }),
      C(
          "a folder", [](const Folder& f) { fs::create_directory(f / "plan.dxf"); }, true,
          "is a folder, not a file", {"plan.dxf"}, nullptr),
      C(
          "a link to a pipe",
          [](const Folder& f) {
            mkfifo((f / "pipe").c_str(), 0644);
            fs::create_symlink("pipe", f / "plan.dxf");
          },
          true, "is a pipe, not a file", {"pipe", "plan.dxf"},
          [](const Folder& f) { EXPECT_TRUE(fs::is_symlink(f / "plan.dxf")); }),
      C(
          "a read-only file is refused, whoever saves",
          [](const Folder& f) { f.write("plan.dxf", "old", 0444); }, true, "the file is read-only",
          {"plan.dxf"},
          [&](const Folder& f) {
            has("plan.dxf", "old")(f);
            EXPECT_EQ(mode_of(f / "plan.dxf") & 07777, 0444u);
          }),
      C(
          "a file only its owner could run, and nobody write, is read-only",
          [](const Folder& f) { f.write("plan.dxf", "old", 0500); }, false, "the file is read-only",
          {"plan.dxf"}, has("plan.dxf", "old")),
      C(
          "a link to a read-only file",
          [](const Folder& f) {
            fs::create_directory(f / "real");
            f.write("real/plan.dxf", "old", 0444);
            fs::create_symlink("real/plan.dxf", f / "plan.dxf");
          },
          true, "the file is read-only", {"plan.dxf", "real", "real/plan.dxf"},
          has("real/plan.dxf", "old")),
      C(
          "a read-only backup saves nothing",
          [](const Folder& f) {
            f.write("plan.dxf", "old");
            f.write("plan.bak", "older", 0444);
          },
          true, "cannot save {}/plan.bak: the file is read-only", {"plan.bak", "plan.dxf"},
          [&](const Folder& f) {
            has("plan.dxf", "old")(f);
            has("plan.bak", "older")(f);
          }),
      C(
          "a read-only backup is no matter when none is made",
          [](const Folder& f) {
            f.write("plan.dxf", "old");
            f.write("plan.bak", "older", 0444);
          },
          false, "", {"plan.bak", "plan.dxf"},
          [&](const Folder& f) {
            has("plan.dxf", kNew)(f);
            has("plan.bak", "older")(f);
          }),
      C(
          "a backup that cannot be made saves nothing",
          [](const Folder& f) {
            f.write("plan.dxf", "old");
            fs::create_directory(f / "plan.bak");
          },
          true, "cannot save {}/plan.bak: is a folder, not a file", {"plan.bak", "plan.dxf"},
          has("plan.dxf", "old")),
  };
  for (const Case& c : cases) {
    Folder folder;
    c.make(folder);
    const std::string path = (folder / "plan.dxf").string();
    std::string error;
    const bool saved = save_file(path, kNew, {.backup = c.backup}, &error);
    std::string expected = c.error;
    if (const size_t at = expected.find("{}"); at != std::string::npos)
      expected.replace(at, 2, folder.path().string());
    EXPECT_EQ(saved, c.error.empty()) << c.what << ": " << error;
    if (!c.error.empty()) {
      EXPECT_EQ(error, "cannot save " + path + ": " + expected) << c.what;
    }
    EXPECT_EQ(folder.listing(), c.listing) << c.what;
    if (c.check) c.check(folder);
  }
}

// What fn returns when run by the user "nobody", in a child process that has become that user.
std::string as_nobody(const std::function<std::string()>& fn) {
  constexpr uid_t kNobody = 65534;
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string out = "cannot become nobody";
    if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0) out = fn();
    [[maybe_unused]] const ssize_t written = write(fds[1], out.data(), out.size());
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buffer[256];
  for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, got);
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return out;
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
    const std::string error = as_nobody([&] {
      std::string e;
      return save_file(path, "new", {.backup = true}, &e) ? std::string("saved") : e;
    });
    EXPECT_EQ(error, "cannot save " + path + ": " + why);
  }
  EXPECT_EQ(folder.read("theirs.dxf"), "old");
  EXPECT_EQ(folder.listing(), (std::vector<std::string>{"locked", "theirs.dxf"}));
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
