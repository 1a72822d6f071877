// Any text given to the DCL parser: it refuses it with a message naming a line, or gives dialogs
// whose tiles all come down to the host's base tiles.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cad/dialogs/dcl.h"
#include "fuzz/fuzz_check.h"

namespace {

using cad::fuzz::fail;

void check_tile(const cad::Tile& dialog, const cad::Tile& tile) {
  if (tile.type.empty()) fail("every tile has a base type", tile.name);
  if (!tile.key.empty()) {
    const cad::Tile* found = dialog.find(tile.key);
    if (!found || found->key != tile.key) fail("a dialog finds each key it holds", tile.key);
  }
  for (const cad::Tile& child : tile.children) check_tile(dialog, child);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cad::DclFile file;
  std::string error;
  if (!cad::parse_dcl(cad::fuzz::as_text(data, size), "fuzz.dcl", file, error)) {
    if (error.rfind("fuzz.dcl:", 0) != 0) fail("a parse error names the file and line", error);
    return 0;
  }
  if (!error.empty()) fail("a parsed file leaves no error", error);
  for (const auto& [name, dialog] : file.dialogs) {
    if (dialog.type != "dialog") fail("a dialog comes down to the dialog tile", name);
    if (file.dialog(name) != &dialog) fail("a dialog is found by its name", name);
    check_tile(dialog, dialog);
  }
  return 0;
}
