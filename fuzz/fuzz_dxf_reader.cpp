// Any bytes given to the DXF reader: it either refuses them with a message or gives a drawing
// that writes to a file which reads back to the same records and writes to the same bytes.
// Where the writer writes a drawing in other forms by design (an R12 drawing's entities of newer
// types and its dimensions' codes in R12's forms, its classes, objects, block records, the groups
// later versions added and anonymous blocks nothing uses left out), the drawing read back from the
// file is what must read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cad/dxf/compare.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/r12_entities.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/subclass.h"
#include "cad/dxf/unused.h"
#include "cad/dxf/writer.h"
#include "fuzz/fuzz_check.h"

namespace {

// Whether writing leaves out or converts anything of the drawing.
bool written_in_other_forms(const cad::Database& db) {
  if (!cad::unused_records(db).empty()) return true;
  if (!cad::r12_form(cad::drawing_version(db))) return false;
  // R12 has no classes, objects or block records.
  if (!db.classes().empty() || !db.objects().empty()) return true;
  for (const cad::Table& table : db.tables())
    if (db.record(table.head).text(2) == "BLOCK_RECORD") return true;
  cad::R12Entities r12(db.handseed());
  std::vector<cad::Record> out;
  bool converts = false;
  // Groups R12 lacks are left out, which may bring a coordinate next to the point it follows.
  auto look = [&](const cad::Record& rec) {
    converts = converts || cad::has_r13_groups(rec) || r12.convert(rec, out);
  };
  for (const cad::Table& table : db.tables()) cad::for_each_live(db, table.entries, look);
  for (const cad::Block& block : db.blocks()) {
    look(db.record(block.begin));
    cad::for_each_live(db, block.entities, look);
  }
  cad::for_each_live(db, db.entities(), look);
  return converts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using cad::fuzz::fail;
  cad::ReadResult first = cad::read_dxf(cad::fuzz::as_text(data, size), "input");
  if (!first.db) {
    if (first.error.empty()) fail("a refused file names its fault");
    return 0;
  }
  std::string written = cad::write_dxf(*first.db);
  cad::ReadResult second = cad::read_dxf(written, "written");
  if (!second.db) fail("a written drawing reads back", second.error);
  // A note on what the drawing holds (an unknown code page) comes again; one on what the reader
  // repaired (a duplicate handle) does not.
  for (const std::string& note : second.notes) {
    if (std::find(first.notes.begin(), first.notes.end(), note) == first.notes.end())
      fail("a written drawing reads back without new notes", note);
  }
  if (written_in_other_forms(*first.db)) {
    written = cad::write_dxf(*second.db);
    first = std::move(second);
    second = cad::read_dxf(written, "written again");
    if (!second.db) fail("a drawing written in its file's forms reads back", second.error);
  }
  const std::string difference = cad::diff_records(*first.db, *second.db);
  if (!difference.empty()) fail("a written drawing reads back to the same records", difference);
  if (cad::write_dxf(*second.db) != written)
    fail("a drawing read from a written file writes the same bytes");
  return 0;
}
