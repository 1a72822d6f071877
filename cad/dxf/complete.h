// What a DXF version needs that a drawing may lack, added to the drawing: the reader applies it
// after loading (so that writing the drawing back changes nothing) and the writer to a copy of
// the drawing it writes (so that records the host made are complete).
//
// Every version: $ACADVER first (AC1027 when the drawing names none), $DWGCODEPAGE next up to
// AC1018, $HANDSEED above every handle.
// R13 and later: CLASSES; the nine tables with VPORT *Active, LTYPE ByBlock/ByLayer/Continuous,
// LAYER 0, STYLE Standard, APPID ACAD, DIMSTYLE Standard; blocks *Model_Space and *Paper_Space
// and a BLOCK_RECORD for every block; subclass markers and owners; OBJECTS with a root
// dictionary holding ACAD_GROUP.
// R12: $HANDLING 1 (records keep their handles); the eight tables with their standard entries;
// no subclass markers, owners or application groups; no CLASSES, OBJECTS or BLOCK_RECORD table
// (their records are erased).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/codepage.h"

namespace cad {

// The $ACADVER of a drawing; "AC1027" (R2013, as a new drawing) when it names none or its value
// is no text.
std::string drawing_version(const Database& db);
// 1009 for "AC1009" (blanks around it ignored); 0 when the text is no version of that form.
int version_number(std::string_view acadver);
// Versions before R13 are written in the R12 form.
bool r12_form(std::string_view acadver);

// The code page of a file's text as a reader meets it: ANSI_1252 at first; from the first group
// of an $ACADVER on, UTF-8 when it names AC1021 or later (as drawing_version reads it); else, from
// the first group of a $DWGCODEPAGE on, the code page that names. The reader follows the file it
// reads with it and the writer the file it writes, so that every text is read back in the code
// page it was written in, whatever the header holds (a variable given twice, a version given as a
// number, text before the header).
class FileCodec {
 public:
  explicit FileCodec(TextCodec& codec) : codec_(codec) {}
  // Takes a header variable once its first group is read or written; others than $ACADVER and
  // $DWGCODEPAGE change nothing. False when the text is left in ANSI_1252 because the code page
  // named, page(), is unknown.
  bool take(const HeaderVar& var);
  const std::string& page() const { return page_; }

 private:
  TextCodec& codec_;
  bool version_seen_ = false;
  bool page_seen_ = false;
  std::string version_;
  std::string page_;
};

// Adds what the drawing's version needs. Records that have what they need stay as they are, so a
// second call changes nothing. When notes is given, one line says what was added. formed, by
// record id, marks entities seen to have their subclass markers and an owner (is_formed), which
// need nothing in any version but R12: they are passed over without looking at their groups
// again, as a reader that saw them while it read them can say.
void complete_drawing(Database& db, std::vector<std::string>* notes = nullptr,
                      const std::vector<bool>* formed = nullptr);
// Whether an entity has its subclass markers and an owner.
bool is_formed(const Record& rec);

// Calls take with each live record of ids: erased records and the sub-entities of an erased
// POLYLINE or INSERT left out.
void for_each_live(const Database& db, const std::vector<RecordId>& ids,
                   const std::function<void(const Record&)>& take);

// A new database with the live records of db, its header, raw sections, section order and
// handle seed. The entities of model and paper space, most of a large drawing, may be left out
// for a writer that completes them one by one (EntityCompletion); so may table entries and blocks
// (by their BLOCK record) of left_out.
enum class Entities { kCopied, kLeftOut };
std::unique_ptr<Database> copy_drawing(const Database& db, Entities entities = Entities::kCopied,
                                       const std::unordered_set<RecordId>* left_out = nullptr);

// What completing changed in records, for complete_drawing's note.
struct RecordCounts {
  size_t marked = 0;    // given subclass markers
  size_t owned = 0;     // given an owner
  size_t stripped = 0;  // stripped of R13 groups (R12)
  RecordCounts& operator+=(const RecordCounts& other) {
    marked += other.marked;
    owned += other.owned;
    stripped += other.stripped;
    return *this;
  }
};

// The entities of one container completed one by one, in drawing order, as complete_drawing
// completes them: sub-entities are owned by the POLYLINE or INSERT before them, the others by
// model or paper space (67 = 1).
class EntityCompletion {
 public:
  EntityCompletion(bool r12, std::string model, std::string paper);
  // True with the completed record in out when rec needs anything; rec is written as it is
  // otherwise.
  bool complete(const Record& rec, Record& out);
  // Goes past a record that needs nothing (is_formed, not R12) as complete would.
  void pass(const Record& rec);
  const RecordCounts& counts() const { return counts_; }

 private:
  bool r12_;
  std::string model_;
  std::string paper_;
  std::string leader_;
  RecordCounts counts_;
};

// The completion of model and paper space entities for a drawing that complete_drawing has
// completed (its version and the handles of its *Model_Space and *Paper_Space block records).
EntityCompletion entity_completion(const Database& completed);

}  // namespace cad
