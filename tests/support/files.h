// Files of the tests: the shared drawings every reader and writer is tried on, and scratch folders.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace cad::testing {

// The folder of the shared drawings (DULK_SHARED_DIR, else /work/shared).
inline std::filesystem::path shared_dir() {
  const char* dir = std::getenv("DULK_SHARED_DIR");
  return dir && *dir ? std::filesystem::path(dir) : std::filesystem::path("/work/shared");
}

// Every .dxf file of the shared folders, sorted.
inline std::vector<std::filesystem::path> shared_drawings(
    std::initializer_list<const char*> folders = {"dxf", "dxf-extra"}) {
  std::vector<std::filesystem::path> out;
  for (const char* sub : folders) {
    std::filesystem::path dir = shared_dir() / sub;
    if (!std::filesystem::is_directory(dir)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      if (entry.path().extension() == ".dxf") out.push_back(entry.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Whether the tests run on CI, where a missing tool fails a test that elsewhere skips.
inline bool on_ci() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

// Quotes a word for the shell.
inline std::string shell_word(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A fresh, empty folder under the system's temporary folder, removed by the destructor, and
// the files written in it and read from it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dulk-test-XXXXXX").string();
    // Without its folder a test would write where it runs: it stops here instead.
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make the folder " + pattern);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
  void write(std::string_view name, std::string_view text) const {
    std::ofstream file(path_ / name, std::ios::binary);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file) throw std::runtime_error("cannot write " + (path_ / name).string());
  }
  // The file's bytes; nothing when it cannot be read.
  std::optional<std::string> read(std::string_view name) const {
    std::ifstream file(path_ / name, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace cad::testing
