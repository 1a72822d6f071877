// The host's own commands, one Builtin each beside its body; register_builtins (builtins.h)
// puts them on the command stack. Each reads its replies through the host's prompter, so a person's
// typing, a script and a module's token list drive it alike.
#pragma once

#include <span>

#include "cad/ads/host.h"
#include "cad/input/prompt.h"

namespace cad {

// A host command: its name, its body, what it does (one line) and the prompts it may ask, which
// HELP lists (the prompts of selecting objects belong to kSelectObjects).
struct Builtin {
  const char* name;
  void (*body)(Host&);
  const char* does;
  std::span<const Prompt> prompts;
};

// Dimensioning (dim_commands.cpp).
extern const Builtin kDim1Command;
extern const Builtin kDimstyleCommand;
extern const Builtin kDimstylesCommand;

// Coordinate systems (ucs_command.cpp).
extern const Builtin kUcsCommand;

// Layers (layer_command.cpp).
extern const Builtin kLayerCommand;

// Undo (undo_commands.cpp).
extern const Builtin kUndoCommand;
extern const Builtin kUCommand;
extern const Builtin kRedoCommand;

// Drawing and editing (draw_commands.cpp, edit_commands.cpp).
extern const Builtin kLineCommand;
extern const Builtin kPlineCommand;
extern const Builtin kCircleCommand;
extern const Builtin kEraseCommand;
extern const Builtin kMoveCommand;
extern const Builtin kCopyCommand;
extern const Builtin kRotateCommand;
extern const Builtin kScaleCommand;
extern const Builtin kMirrorCommand;
extern const Builtin kStretchCommand;

// Looking at the drawing and the session (inquiry_commands.cpp).
extern const Builtin kListCommand;
extern const Builtin kSetvarCommand;
extern const Builtin kRedrawCommand;
extern const Builtin kHelpCommand;
extern const Builtin kHelpAlias;

// Checking and mending the drawing (audit_command.cpp).
extern const Builtin kAuditCommand;

}  // namespace cad
