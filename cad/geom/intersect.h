// Intersection of two lines in space, as the host's acdbInters answers it.
#pragma once

#include <optional>

#include "cad/geom/vec.h"

namespace cad {

// The point where the line through from1 and to1 meets the line through from2 and to2.
// Nothing when the lines are parallel (collinear included), do not lie in one plane, or a pair
// of points is identical. With on_segments the point must also lie on both segments; their ends
// count, with a small tolerance relative to each segment's length, so that two segments sharing
// a vertex meet there.
std::optional<Vec3> intersect_lines(Vec3 from1, Vec3 to1, Vec3 from2, Vec3 to2, bool on_segments);

}  // namespace cad
