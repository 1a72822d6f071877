// What a saved drawing leaves out because nothing uses it, as the real host drops anonymous
// blocks nothing refers to when it saves: anonymous blocks ("*D", "*U", ... with the anonymous
// flag) and chain application names ("$..." in APPID) that no live record refers to. The drawing
// keeps them, so that undo inside the session still finds what it restores.
//
// A block is used when a live record that is written names it in a group 2 (INSERT, DIMENSION,
// and any other entity or object, to be safe) or points at it, its block record, its BLOCK or
// ENDBLK or one of its entities with any handle group; records inside a used block count, those
// inside an unused one do not. An application name is used when a live record carries extended
// data of it or points at its APPID entry. Written for R12, what the file leaves out uses nothing:
// objects, block records, entities R12 has no form for, and the groups R12 lacks (owners,
// pointers, application groups).
#pragma once

#include <unordered_set>

#include "cad/db/database.h"

namespace cad {

// The BLOCK records of the unused blocks and the table entries (BLOCK_RECORD, APPID) of the
// unused blocks and applications; empty, without walking the drawing, when it has no candidates.
std::unordered_set<RecordId> unused_records(const Database& db);

}  // namespace cad
