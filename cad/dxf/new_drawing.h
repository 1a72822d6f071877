// The template of a new drawing: R2013 (AC1027), set up for architects drawing in metres
// ($INSUNITS 6, $MEASUREMENT 1, decimal units to three places), with layers 0 and DEFPOINTS and
// the dimension style STANDARD drawing architectural ticks at sizes that suit dimension lines
// 0.2 m from what they measure, measurements rounded to the millimetre (DIMRND 0.001). The
// header's dimension variables equal that style.
#pragma once

#include <memory>

#include "cad/db/database.h"

namespace cad {

// A complete drawing with an empty undo journal.
std::unique_ptr<Database> new_drawing();

}  // namespace cad
