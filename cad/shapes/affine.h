// Affine maps that carry shapes from the coordinates they are drawn in (an object coordinate
// system, a block's) into the world, and what happens to bulge arcs on the way.
#pragma once

#include "cad/db/record.h"
#include "cad/geom/vec.h"
#include "cad/shapes/path.h"

namespace cad {

// world = origin + x * p.x + y * p.y + z * p.z
struct Affine {
  Vec3 x{1, 0, 0};
  Vec3 y{0, 1, 0};
  Vec3 z{0, 0, 1};
  Vec3 origin;

  Vec3 linear(Vec3 p) const { return x * p.x + y * p.y + z * p.z; }
  Vec3 apply(Vec3 p) const { return origin + linear(p); }
  // This map applied after inner.
  Affine after(const Affine& inner) const {
    return {linear(inner.x), linear(inner.y), linear(inner.z), apply(inner.origin)};
  }
};

// The map of the object coordinate system of this extrusion.
Affine ocs_map(Vec3 extrusion);
// An entity's extrusion (group 210), (0,0,1) when it has none.
Vec3 extrusion_of(const Record& rec);
// Whether arcs drawn in planes parallel to the XY plane stay circular arcs in the world's XY
// view under the map: 1 as they are, -1 mirrored (bulges change sign), 0 not at all.
int arc_orientation(const Affine& m);
// The path with its arcs replaced by segments of at most 10 degrees in its own XY plane (z runs
// evenly along).
Path tessellated(const Path& path);
// The path carried by the map: its arcs stay arcs where the map keeps them circular (mirrored
// arcs turning the other way) and are divided into segments where it does not. A path without
// arcs comes out without bulges.
Path transformed(Path path, const Affine& m);

}  // namespace cad
