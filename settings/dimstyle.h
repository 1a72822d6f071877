// Dimension styles and the module's settings per style. The settings of a style live on a
// settings carrier: an INSERT of an empty anonymous block at the origin on layer "0", whose
// extended data of the application "TAV" names the style and holds six values of DimSettings.
#pragma once

#include "host/arxHeaders.h"

// Makes styleName current ("*UNNAMED" stands for "STANDARD") and loads DimSettings for it: from
// the style's own carrier, else from the carrier of "STANDARD", else the defaults; in the last
// two cases the style is saved with a carrier of its own. RTERROR, with nothing changed, when
// the style is not in the drawing.
//
// A carrier whose values are missing or of the wrong types (another program changed it) is said
// to be damaged, once: its style takes the template's values (or the defaults) as if it had no
// carrier, and a damaged template is written anew with the defaults.
//
// Both routines end the command through acrx_abort, with the message of the step, when the host
// fails them: a style table it cannot open or search, a list it has no memory for, carriers it
// cannot select, read, make or write, a style it does not save.
int get_dimstyle(const ACHAR* styleName);

// Saves the current dimension variables (with DIMDLI 0) as style name and stores DimSettings on
// the style's carrier, made when there is none. DimSettings.style_name takes the name as the
// style table writes it. RTNORM.
int set_dimstyle(const ACHAR* name);
