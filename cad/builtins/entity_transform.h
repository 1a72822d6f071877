// Entity records carried through the maps of the editing commands: moves, turns about an axis,
// uniform scales and mirrors in a plane. Each point group is carried as its type keeps it (in the
// world, or in the object's plane), angles and directions go with the points, lengths are scaled,
// and extended data follows its kind (1011 positions, 1012 displacements, 1013 directions, 1041
// distances, 1042 scale factors). A mirror turns arcs, bulges and ellipses round, and text as
// MIRRTEXT says. Used inside cad/builtins only.
#pragma once

#include <cstdint>
#include <string_view>

#include "cad/db/record.h"
#include "cad/geom/vec.h"
#include "cad/shapes/affine.h"

namespace cad {

// A map of the world that keeps shapes: world' = map(world), every length multiplied by scale.
struct Similarity {
  Affine map;
  double scale = 1;
  // Turns the orientation of a plane round (a mirror).
  bool mirrored = false;
  // A pure move, carried by adding the displacement so that coordinates stay exact.
  bool translation = true;
};

Similarity translation(Vec3 displacement);
// A turn by angle (radians, counter-clockwise seen from where axis points to) about the axis
// through base.
Similarity rotation(Vec3 base, Vec3 axis, double angle);
Similarity scaling(Vec3 base, double factor);
// The mirror in the plane through a and b that holds the direction axis; nothing changes when a
// and b coincide along it.
Similarity mirror(Vec3 a, Vec3 b, Vec3 axis);

// The types transformed() carries; others (HATCH, IMAGE, solids of the modeller...) it leaves as
// they are.
bool transformable(std::string_view type);

// The record carried through m. owner: the POLYLINE of a VERTEX (whose plane and flags say how
// its points are kept), else nullptr. mirror_text: MIRRTEXT 1, text is mirrored with the rest
// (it reads backwards); 0, it keeps reading from left to right. A DIMENSION's points, rotation
// and directions are carried; its block and measurement are the caller's.
Record transformed(const Record& rec, const Similarity& m, const Record* owner, bool mirror_text);

}  // namespace cad
