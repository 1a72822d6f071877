// Entities of types R12 lacks, in the form an R12 file writes them, as the real host's R12 export
// converts them: MTEXT becomes TEXT, one per line and per run of one height (a raised digit is a
// second, smaller TEXT where the formatting codes put it); LWPOLYLINE becomes POLYLINE, VERTEX
// ... SEQEND; ELLIPSE becomes a POLYLINE of straight segments. Other types R12 does not know
// (SPLINE, HATCH, LEADER, MLINE, RAY, XLINE, ...) are left out, each counted for a note. A
// DIMENSION's own text (group 1) is written plain, without the formatting codes of multiline text
// that R12 would show as they stand wherever it draws the dimension again; its block already
// holds the text as TEXT.
//
// The drawing keeps what it holds: the writer converts each record as it writes it, from the
// record as the drawing has it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cad/db/record.h"

namespace cad {

// Whether R12 has entities of this type.
bool r12_entity_type(std::string_view type);
// Whether an R12 file carries an entity of this type, as it stands or converted.
bool r12_writes(std::string_view type);

// Where a DIMENSION's own text (its first group 1 before the extended data) stands, when the text
// holds a backslash or a brace, which R12's plain texts and the drawing's multiline texts read
// apart; npos otherwise.
size_t r12_dimension_text_at(const Record& dim);

// A DIMENSION's own text as an R12 file holds it, in the form the drawing holds it: R12 has no
// formatting codes, so its backslashes and braces are characters, escaped as multiline text
// escapes them. Written for R12 again, the text is what the file held.
std::string r12_dimension_text_read(std::string_view text);

class R12Entities {
 public:
  // Records a conversion adds after the first (which keeps the entity's handle and extended
  // data) take handles from first_handle on.
  explicit R12Entities(uint64_t first_handle) : next_handle_(first_handle) {}

  // False when R12 writes rec as it stands. Otherwise true, with the records it writes instead
  // in out: none when R12 has no form for it.
  bool convert(const Record& rec, std::vector<Record>& out);

  // The first handle no conversion has taken.
  uint64_t next_handle() const { return next_handle_; }
  // What was left out, for a note; empty when nothing was. Conversions need no note: they are
  // the form R12 has for what the drawing holds.
  std::string left_out() const;

 private:
  uint64_t take_handle() { return next_handle_++; }
  bool dimension(const Record& rec, std::vector<Record>& out);
  void mtext(const Record& rec, std::vector<Record>& out);
  void lwpolyline(const Record& rec, std::vector<Record>& out);
  void ellipse(const Record& rec, std::vector<Record>& out);

  uint64_t next_handle_;
  std::map<std::string, size_t> left_out_;  // by type
};

}  // namespace cad
