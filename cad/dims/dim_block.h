// The graphics of a linear (rotated) dimension: the "*D" anonymous block the DIMENSION entity
// refers to, drawn from a set of dimension variables as the real host draws it, so that a saved
// drawing shows the dimension in any program and the SVG picture shows it too.
#pragma once

#include <cstddef>

#include "cad/db/database.h"
#include "cad/dims/dim_style.h"
#include "cad/geom/vec.h"

namespace cad {

// Builds the block of a linear dimension and completes the dimension's own record.
//
// Reads from dim: 13 and 14 (extension-line origins, world), 10 (any point of the dimension
// line, world), 50 (rotation of the dimension line, radians from the object X axis), 1 (its text:
// see dimension_text), 8 (layer), 210 (extrusion; world Z when absent). The drawing lies in the
// object's plane at the elevation of group 10.
//
// Writes into dim: 10 (where the dimension line meets the second extension line), 11 (middle of
// the text, object coordinates), 42 (the measurement: the distance of the origins along the
// dimension line) and 2 (the new block's name, "*D" and a number).
//
// The block (flag 1) holds, with every size multiplied by DIMSCALE (0 counting as 1): the
// extension lines, DIMEXO off the origins and DIMEXE past the dimension line (DIMSE1, DIMSE2
// leave them out); the dimension line; closed filled arrows (SOLIDs DIMASZ long, a third of that
// wide) pointing at the extension lines, or, when DIMTSZ is above 0, oblique ticks (LINEs at 45
// degrees whose extent along the dimension line is DIMTSZ) with the dimension line running DIMDLE
// past the extension lines; the text as MTEXT DIMTXT high in style DIMTXSTY (STANDARD when the
// drawing lacks that style or none is named), along the dimension
// line and turned to read from the left or from below, centred on the dimension line (DIMTAD 0),
// DIMGAP above it (DIMTAD 1 to 3, attached at its bottom centre) or below it (DIMTAD 4); and
// POINTs on layer Defpoints (made when missing) at 13, 14 and 10. Colours: DIMCLRE, DIMCLRD,
// DIMCLRT (256, by layer, writes no colour). Returns the block's index.
size_t build_dimension_block(Database& db, Record& dim, const DimStyleValues& values);

// What a linear dimension measures: the distance of its two extension-line origins (world) along
// a dimension line at this rotation (radians from the X axis of the extrusion's object system).
double linear_measurement(Vec3 origin1, Vec3 origin2, double rotation, Vec3 extrusion);

}  // namespace cad
