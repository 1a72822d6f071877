// What the entities of a drawing read name by name: their layer (8) and linetype (6), the text
// style of TEXT, MTEXT, ATTDEF and ATTRIB (7), the dimension style of DIMENSION, LEADER and
// TOLERANCE (3), the block of INSERT and DIMENSION (2). Each must name an entry the drawing holds,
// as other programs expect of a file (ezdxf's audit removes a reference that names nothing, or the
// entity that makes it); a drawing read that names what it lacks is settled, with a note for each
// kind:
//   - a missing layer is made (colour 7, linetype Continuous), as the real host makes the layers
//     entities name; an empty layer name becomes "0";
//   - a missing or empty text style or dimension style becomes STANDARD, a missing or empty
//     linetype BYLAYER (the group left out): the entries every drawing has, and what an entity
//     without the group is in;
//   - a missing block is made empty: the entity keeps the block it names, which shows nothing as
//     before, and a dimension's "*D" block another program left out is not taken by the next
//     dimension drawn. An empty block name stays as it is: no block can have it.
#pragma once

#include <array>
#include <string>
#include <unordered_set>
#include <vector>

#include "cad/db/database.h"

namespace cad {

// Whether the drawing holds the linetype, text style, dimension style and block rec names, layers
// aside (the interface makes the layers its entities name). acdbEntMake and acdbEntMod refuse an
// entity that names one the drawing lacks, as the real host's entmake does.
bool references_held(const Database& db, const Record& rec);

// What the entities of the drawing name that it lacks, one line for each entity and name, e.g.
// "LINE(2A) layer \"Walls\" missing"; settle() of the names of every entity mends them.
std::vector<std::string> missing_references(const Database& db);

class ReferenceNames {
 public:
  // Notes the names an entity gives, as the reader meets it; a name like the one before it of its
  // kind costs a comparison.
  void take(const Record& rec);

  // Settles what the entities taken name and the drawing lacks, once the drawing is complete
  // (complete.h: its tables hold their standard entries), and completes what that adds. Only
  // when something is missing does it look at the entities again.
  void settle(Database& db, std::vector<std::string>& notes) const;

  enum Kind { kLayer, kLinetype, kTextStyle, kDimStyle, kBlock, kKinds };

 private:
  void note(Kind kind, std::string_view name);

  std::array<std::unordered_set<std::string>, kKinds> names_;
  std::array<std::string, kKinds> last_;
  std::array<bool, kKinds> seen_{};
};

}  // namespace cad
