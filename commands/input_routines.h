// The input routines of the chain commands: numbered point input, the position of the
// extension lines (through a point, at a distance, beside an existing dimension) and the
// direction of the chain. They fill ChainRequest; Dulk, AutoBem, BemAdd and BemDel share them.
#pragma once

#include <cstdint>

#include "host/arxHeaders.h"

// Asks for points "\n<counter>. <label>" until Enter, appending each to point_list (world
// coordinates) and raising counter; "Zurück"/"Undo" takes the last point back. RTNORM when the
// input ends with Enter, RTCAN on Esc or when the host had no memory for a point (the points
// gathered stay in the list).
int point_loop(resbuf* point_list, const ACHAR* label, int32_t& counter);

// Asks where the extension lines lie and sets ChainRequest.line_point. RTNORM for a point or a
// distance construction; RTKWORD when a reference dimension was picked (angle, line_point and
// side then come from it); RTCAN on Esc.
int position_prompt();

// Asks for the direction of the chain into ChainRequest.angle (an angle, or two points).
// "Zurück"/"Undo" asks for the position again. RTNORM or RTCAN.
int direction_prompt();

// Lets the user pick a dimension and places the new chain beside it, outside or inside, with
// its direction and side. RTNORM, or RTCAN on Esc or when the dimension cannot serve.
int pick_reference_dim(bool outside);

// Reads the text of the last keyword reply into buffer (kTextBufferLength characters).
void read_keyword(ACHAR* buffer);
