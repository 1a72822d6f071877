// The host's own commands: DIM1, -DIMSTYLE, DIMSTYLES, UCS, -LAYER, UNDO, U, REDRAW, LINE, PLINE,
// CIRCLE, ERASE, MOVE, LIST and SETVAR. Each reads its replies through the host's prompter, so a
// person's typing, a script and a module's scripted tokens ("_dim1" "_hori" ...) drive it alike.
#pragma once

#include <string_view>

#include "cad/ads/host.h"
#include "cad/db/sysvars.h"

namespace cad {

// Puts every host command on the host's command stack (group "ACAD", marked builtin), under its
// English name, which serves as local and global name ("LINE", "_LINE").
void register_builtins(Host& host);

// Sets a system variable by name as SETVAR does: read-only and unknown variables and values of
// the wrong type are refused, CLAYER must name a layer that exists and is not frozen, and a
// dimension variable set away from the current style's value leaves the style "*UNNAMED".
bool set_variable(Host& host, std::string_view name, const VarValue& value);

}  // namespace cad
