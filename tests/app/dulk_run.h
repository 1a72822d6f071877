// Shared pieces of the tests of the dulk program as a whole: a scratch folder per test, the built
// dulk run there as a user would run it, and what it left behind read back.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/case_file.h"
#include "tests/support/files.h"

namespace dulk::testing {

// The program under test, as the build left it (the module lies beside it).
std::string dulk_binary();
std::string module_path();

// A fresh folder in the temporary directory, removed with everything in it at the end.
class ScratchFolder : public cad::testing::TempDir {
 public:
  ScratchFolder() = default;
  // With files written in it, each a name and its text.
  ScratchFolder(std::initializer_list<std::pair<std::string_view, std::string_view>> files) {
    for (const auto& [name, text] : files) write(name, text);
  }
  // Names of the files in the folder, sorted, a blank between two.
  std::string listing() const;
};

struct DulkRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // standard output: the transcript
  std::string err;  // standard error: the diagnosis
};

// Runs dulk in the folder with the arguments (shell words, already quoted where needed) and the
// given text as standard input, which is therefore no terminal.
DulkRun run_dulk(const ScratchFolder& folder, const std::string& args, std::string_view input = {});

using cad::testing::shell_word;
// The shell command that runs dulk in the folder with the arguments.
std::string dulk_command(const ScratchFolder& folder, const std::string& args);

// The LINE entities of a DXF file, a line each: "x,y,z x,y,z", its start and its end point;
// "unreadable" when the file cannot be read.
std::string lines_in(const std::filesystem::path& dxf);

// A small drawing: one LINE from (5,5) to (6,6), in an ENTITIES section alone.
extern const char kDrawing[];
// A script that draws a LINE from (0,0) to (1,1), ending at the command prompt.
extern const char kLineScript[];

// The script a case of a table ends with, its fields from first on, a line each.
std::string script_of(const cad::testing::CaseLine& c, size_t first);

// How many entities of a type (not erased) a DXF file holds; nothing when it cannot be read.
std::optional<size_t> count_entities(const std::filesystem::path& dxf, std::string_view type);

}  // namespace dulk::testing
