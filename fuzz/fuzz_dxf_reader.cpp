// Any bytes given to the DXF reader: it either refuses them with a message or gives a drawing
// that writes to a file which reads back to the same records and writes to the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "cad/dxf/compare.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using cad::fuzz::fail;
  cad::ReadResult first = cad::read_dxf(cad::fuzz::as_text(data, size), "input");
  if (!first.db) {
    if (first.error.empty()) fail("a refused file names its fault");
    return 0;
  }
  const std::string written = cad::write_dxf(*first.db);
  cad::ReadResult second = cad::read_dxf(written, "written");
  if (!second.db) fail("a written drawing reads back", second.error);
  const std::string difference = cad::diff_records(*first.db, *second.db);
  if (!difference.empty()) fail("a written drawing reads back to the same records", difference);
  // A note on what the drawing holds (an unknown code page) comes again; one on what the reader
  // repaired (a duplicate handle) does not.
  for (const std::string& note : second.notes) {
    if (std::find(first.notes.begin(), first.notes.end(), note) == first.notes.end())
      fail("a written drawing reads back without new notes", note);
  }
  if (cad::write_dxf(*second.db) != written)
    fail("a drawing read from a written file writes the same bytes");
  return 0;
}
