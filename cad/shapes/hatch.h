// The boundaries of a HATCH, read from its boundary path groups: the one entity type whose
// geometry is a small language of its own (polyline paths and edge paths of lines, arcs, ellipses
// and splines), kept apart from the other types in shapes.cpp.
#pragma once

#include <vector>

#include "cad/db/record.h"
#include "cad/shapes/affine.h"
#include "cad/shapes/path.h"

namespace cad {

// Appends one closed path per boundary, carried by m; spline edges run through their control
// points.
void hatch_paths(const Record& rec, const Affine& m, std::vector<Path>& out);

}  // namespace cad
