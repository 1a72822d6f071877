// Runs a shown dialog until it ends: from a script (one reply a line) or, on a terminal, as a
// numbered form a person fills in. Input and output go through plain callbacks, so the runner
// knows nothing of where replies come from.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "cad/dialogs/dialog.h"

namespace cad {

struct DialogIo {
  // The next line a person typed or the script holds, without its line end; nullopt at the end
  // of input.
  std::function<std::optional<std::string>()> next_line;
  // Text to show, line ends included where wanted (a prompt has none).
  std::function<void(const std::string&)> print;
  // True on a terminal: the form is shown and a tile can be chosen before its value is typed.
  std::function<bool()> interactive;
};

// Runs `dialog` until a callback or a reply ends it and returns the status given to done().
// Replies, one a line (words are matched without regard to case):
//   key=value   sets the tile's text as a person's edit would (an edit box keeps its first
//               edit_limit characters, 132 without one), then runs its action, or the dialog's
//               default action, with reason 1; the value is taken as written after '='
//   key or N    chooses a tile by key or by its number in the form: presses a button, flips a
//               toggle; on a terminal, asks for an edit box's new value on the next line
//   OK          presses "accept": its action runs (and is the one to end the dialog); without
//               one the dialog ends with status 1
//   Cancel      presses "cancel" the same way, ending with status 0 without an action; a dialog
//               without a "cancel" tile ends with 0 at once
//   (empty)     presses the default button (is_default), as Enter does
//   MOVE x,y    moves the dialog, so that done() reports where the person left it
// A reply that cannot be used prints a message naming the dialog and the dialog stays open. When
// the input ends with the dialog open, it is cancelled (status 0) and a message says so.
int run(Dialog& dialog, DialogIo& io);

// The form shown on a terminal: the dialog's title, then its tiles in layout order: boxed
// clusters as headings, edit boxes, lists and sliders with their values, toggles, buttons, each
// with the number that chooses it, and text tiles (the error tile among them) when not empty.
std::string format_form(const Dialog& dialog);

}  // namespace cad
