// Reading a DXF file (ASCII or binary, any version) into a drawing database.
//
// Sections HEADER, CLASSES, TABLES, BLOCKS, ENTITIES and OBJECTS are interpreted; any other
// section is kept group by group. A file may lack sections (ENTITIES alone is a drawing) and the
// final EOF. Sub-entities (VERTEX, ATTRIB, SEQEND) stay ordinary records after their owner.
// A file that names no version ($ACADVER) is R12 (AC1009). Records without a handle (R12) get
// one; a handle met twice is replaced by a new one and noted.
// After reading, the drawing is completed for its version (complete.h) so that writing it back
// gives the same records; the undo journal is empty.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/tag_writer.h"

namespace cad {

struct ReadResult {
  // Null when the file could not be read; then error says why.
  std::unique_ptr<Database> db;
  // One lower-case message naming the line (ASCII) or byte offset (binary) and what was expected.
  std::string error;
  // What the reader changed or assumed, one line each (duplicate handles, a missing version).
  std::vector<std::string> notes;
  // The form the file was written in, which saving it again keeps.
  DxfForm form = DxfForm::kAscii;
};

// name is used in messages only.
ReadResult read_dxf(std::string_view bytes, std::string_view name);
ReadResult read_dxf_file(const std::string& path);

}  // namespace cad
