// Shared pieces of the tests of the dulk program as a whole: a scratch folder per test, the built
// dulk run there as a user would run it, and what it left behind read back.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/geom/vec.h"
#include "tests/support/files.h"

namespace dulk::testing {

// The program under test, as the build left it (the module lies beside it).
std::string dulk_binary();
std::string module_path();

// A fresh folder in the temporary directory, removed with everything in it at the end.
class ScratchFolder : public cad::testing::TempDir {
 public:
  // Names of the files in the folder, sorted.
  std::vector<std::string> listing() const;
};

struct DulkRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // standard output: the transcript
  std::string err;  // standard error: the diagnosis
};

// Runs dulk in the folder with the arguments (shell words, already quoted where needed) and the
// given text as standard input, which is therefore no terminal.
DulkRun run_dulk(const ScratchFolder& folder, const std::string& args, std::string_view input = {});

// Quotes a word for the shell.
std::string shell_word(const std::string& word);

// The LINE entities of a DXF file, start and end point; nothing when it cannot be read.
struct Segment {
  cad::Vec3 from, to;
};
std::optional<std::vector<Segment>> lines_in(const std::filesystem::path& dxf);

// A small drawing: one LINE from (5,5) to (6,6), in an ENTITIES section alone.
extern const char kDrawing[];
// A script that draws a LINE from (0,0) to (1,1), ending at the command prompt.
extern const char kLineScript[];

// How many entities of a type (not erased) a DXF file holds; nothing when it cannot be read.
std::optional<size_t> count_entities(const std::filesystem::path& dxf, std::string_view type);

}  // namespace dulk::testing
