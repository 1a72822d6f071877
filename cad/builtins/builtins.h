// The host's own commands: DIM1, -DIMSTYLE, DIMSTYLES, UCS, -LAYER, UNDO, U, REDO, REDRAW, LINE,
// PLINE, CIRCLE, ERASE, MOVE, COPY, ROTATE, SCALE, MIRROR, STRETCH, LIST, SETVAR and HELP. Each
// reads its replies through the host's prompter, so a person's typing, a script and a module's
// scripted tokens ("_dim1" "_hori" ...) drive it alike.
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

// What HELP shows: with an empty name every command, grouped by who added it (the host, the
// program running it, each module by its file name); else what that command does and which
// prompts it asks. False, with a message, for a name no command has.
bool print_help(Host& host, std::string_view name);

}  // namespace cad
