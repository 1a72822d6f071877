// Checking an open drawing for what the real host's AUDIT finds, and mending it as one change of
// the drawing (the command that calls it is one undo step):
//   - entities that name a layer, linetype, text style, dimension style or block the drawing
//     lacks (mended as reading mends them, references.h);
//   - owners (R13 and later): an entity whose owner is not the block record of the block it lies
//     in (vertices, attributes and SEQEND: the entity they follow), a table entry whose owner is
//     not its table (mended: the right owner);
//   - numbers that are not finite (mended: an entity is erased, in any other record the number
//     becomes 0);
//   - chains whose members lie on more than one dimension line: the members of a chain are the
//     dimensions that carry its name and lie on one line, so those on each further line are a
//     chain of their own, and are given a name of their own ("$" and the handle of the first of
//     them, registered), the line of the chain's first dimension keeping the name.
// Handles need no check: the database holds each once (the reader gives a record met twice a
// new one).
#pragma once

#include <string>
#include <vector>

#include "cad/db/database.h"

namespace cad {

struct AuditResult {
  // One line for each fault, e.g. "LINE(2A) layer \"Walls\" missing".
  std::vector<std::string> faults;
  size_t fixed = 0;
};

// The chain name a dimension carries: its first application "$..."; empty when none.
std::string chain_name(const Record& rec);

// Lists the faults of the drawing; with mend, mends them too.
AuditResult audit_drawing(Database& db, bool mend);

}  // namespace cad
