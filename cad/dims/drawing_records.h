// Records a dimension needs besides its own: tables and their entries (layers, block records),
// anonymous blocks with fresh names. Records carry what the drawing means, not what a file
// version needs: the DXF writer adds owners and subclass markers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"

namespace cad {

// The table with this name, added (empty, after the others) when the drawing has none.
size_t ensure_table(Database& db, std::string_view table);

// Adds an entry to a table (made when missing): its type is the table's name.
RecordId add_table_record(Database& db, std::string_view table, std::vector<Group> groups);

// The layer of that name (case-insensitive), made with the given colour when missing.
RecordId ensure_layer(Database& db, std::string_view name, int color = 7);

// An entity record of this type on this layer, with room for `more` groups besides the layer and
// the handle the drawing will give it.
Record entity_record(std::string type, std::string_view layer, size_t more = 0);

// A free name of the form prefix + number (prefix "*D" gives "*D1", "*D2", ...): one past the
// highest number a block or a block record of the drawing has with that prefix.
std::string next_anonymous_name(const Database& db, std::string_view prefix);

// Adds a block (its record in BLOCK_RECORD when the drawing keeps that table, BLOCK with these
// flags and its base at the origin, ENDBLK) and returns the block's index.
size_t add_block_with_record(Database& db, std::string_view name, int flags);

}  // namespace cad
