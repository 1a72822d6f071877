// Reading a DXF file (ASCII or binary, any version) into a drawing database.
//
// Sections HEADER, CLASSES, TABLES, BLOCKS, ENTITIES and OBJECTS are interpreted; any other
// section is kept group by group. A file may lack sections (ENTITIES alone is a drawing) and the
// final EOF. Sub-entities (VERTEX, ATTRIB, SEQEND) stay ordinary records after their owner.
// A file that names no version ($ACADVER) is R12 (AC1009). Records without a handle (R12) get
// one; a handle met twice is replaced by a new one and noted.
// Read with ReadOptions::recover, a damaged file gives what can be read of it instead of an
// error: see RecoverReport.
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

struct ReadOptions {
  // Reads what can be read of a damaged file and counts what was mended or left out, where the
  // strict reader ends with an error: groups outside a section, sections without their header or
  // end, table entries outside their table, entities outside a block, blocks not closed, groups
  // whose value has the wrong type, lines that are no group, a file cut short (its last record
  // left out when cut inside a group). Past what the strict reader mends too (handles, missing
  // entries), owners, owned objects and dictionary entries that point to records the file lacks
  // are left out, a record that the end of the file cuts off is left out, a 0 SECTION inside a
  // section begins the next one, and block records of blocks without one are made. An undamaged
  // file is read the same.
  bool recover = false;
};

// What reading with recover mended or left out: a count for each kind, in the order first met.
struct RecoverReport {
  struct Item {
    std::string kind;
    size_t count = 0;
  };
  std::vector<Item> items;

  void add(std::string_view kind, size_t count = 1);
  size_t total() const;
  // "kind: count", one line each.
  std::vector<std::string> lines() const;
};

struct ReadResult {
  // Null when the file could not be read; then error says why.
  std::unique_ptr<Database> db;
  // One lower-case message naming the line (ASCII) or byte offset (binary) and what was expected.
  std::string error;
  // What the reader changed or assumed, one line each (duplicate handles, a missing version).
  std::vector<std::string> notes;
  // The form the file was written in, which saving it again keeps.
  DxfForm form = DxfForm::kAscii;
  // Read with recover: what was mended or left out.
  RecoverReport recovered;
};

// name is used in messages only.
ReadResult read_dxf(std::string_view bytes, std::string_view name, ReadOptions options = {});
ReadResult read_dxf_file(const std::string& path, ReadOptions options = {});

}  // namespace cad
