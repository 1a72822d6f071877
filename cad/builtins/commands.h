// The bodies of the host's own commands, one function each; register_builtins (builtins.h) puts
// them on the command stack. Each reads its replies through the host's prompter, so a person's
// typing, a script and a module's token list drive it alike.
#pragma once

#include "cad/ads/host.h"

namespace cad {

// Dimensioning (dim_commands.cpp).
void dim1_command(Host& host);
void dimstyle_command(Host& host);
void dimstyles_command(Host& host);

// Coordinate systems (ucs_command.cpp).
void ucs_command(Host& host);

// Layers (layer_command.cpp).
void layer_command(Host& host);

// Undo (undo_commands.cpp).
void undo_command(Host& host);
void u_command(Host& host);
void redo_command(Host& host);

// Drawing and editing (draw_commands.cpp, edit_commands.cpp).
void line_command(Host& host);
void pline_command(Host& host);
void circle_command(Host& host);
void erase_command(Host& host);
void move_command(Host& host);
void copy_command(Host& host);
void rotate_command(Host& host);
void scale_command(Host& host);
void mirror_command(Host& host);
void stretch_command(Host& host);

// Looking at the drawing and the session (inquiry_commands.cpp).
void list_command(Host& host);
void setvar_command(Host& host);
void redraw_command(Host& host);
void help_command(Host& host);

// Checking and mending the drawing (audit_command.cpp).
void audit_command(Host& host);

}  // namespace cad
