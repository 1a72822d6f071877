// The drawing's dimension styles as the host's DIM1 SAVE and RESTORE keep them: the DIMSTYLE table
// entries, the current style's name ($DIMSTYLE) and the rule that a dimension variable set away
// from the current style's value leaves the style "*UNNAMED" until a style is saved or restored.
#pragma once

#include <memory>
#include <string_view>

#include "cad/db/database.h"
#include "cad/dims/dim_style.h"

namespace cad {

inline constexpr std::string_view kUnnamedStyle = "*UNNAMED";

// The entry of the current style ($DIMSTYLE), or kNoRecord ("*UNNAMED", or a name the table does
// not hold).
RecordId current_style_entry(const Database& db);

// The values dimensions are drawn with now: the current dimension variables. Shared, as every
// dimension drawn asks for them and they rarely change in between.
std::shared_ptr<const DimStyleValues> current_dim_values(const Database& db);

// The style a dimension was drawn with: the DIMSTYLE entry its group 3 names, or the current
// dimension variables when the table has no such style ("*UNNAMED"). Its own overrides are not
// applied here: build_dimension_block (cad/dims/dim_block.h) applies them.
DimStyleValues dimension_style(const Database& db, const Record& dimension);

// Saves the current dimension variables as the style name (a new entry, or the existing entry of
// that name redefined, keeping its handle, name spelling and anything it holds besides the
// variables) and makes it the current style. Returns the entry.
RecordId save_dim_style(Database& db, std::string_view name);

// Makes an existing style current: $DIMSTYLE as the entry spells it, every dimension variable from
// the entry. False (nothing changed) when the table has no such style.
bool restore_dim_style(Database& db, std::string_view name);

// To be called after a system variable was set by name (SETVAR, acedSetVar): when it is a
// dimension variable whose new value differs from the current style's, $DIMSTYLE becomes
// "*UNNAMED". Returns whether it did. An arrowhead variable (DIMBLK, DIMBLK1, DIMBLK2,
// DIMLDRBLK) set to a built-in arrowhead gets its block in the drawing, as at the real host, so
// that a style saved with it keeps it.
bool note_dim_var_set(Database& db, std::string_view name);

}  // namespace cad
