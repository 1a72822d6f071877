// Any bytes read as RECOVER reads them: refused with a message, or a drawing the strict reader
// takes once written. Written, it reads back strictly, and that drawing writes to a file that
// reads back to the same records.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cad/dxf/compare.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using cad::fuzz::fail;
  const cad::ReadResult recovered =
      cad::read_dxf(cad::fuzz::as_text(data, size), "input", {.recover = true});
  if (!recovered.db) {
    if (recovered.error.empty()) fail("a refused file names its fault");
    return 0;
  }
  const cad::ReadResult strict = cad::read_dxf(cad::write_dxf(*recovered.db), "written");
  if (!strict.db) fail("a recovered drawing written reads back strictly", strict.error);
  const cad::ReadResult again = cad::read_dxf(cad::write_dxf(*strict.db), "written again");
  if (!again.db) fail("a recovered drawing written twice reads back", again.error);
  const std::string difference = cad::diff_records(*strict.db, *again.db);
  if (!difference.empty()) fail("a recovered drawing reads back to the same records", difference);
  return 0;
}
