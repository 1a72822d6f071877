// Coordinate systems of the host: the user coordinate system (UCS) that prompts and commands work
// in, and the object coordinate systems (OCS) that planar entities keep their points in.
#pragma once

#include <optional>

#include "cad/geom/vec.h"

namespace cad {

// A user coordinate system. The axes are unit vectors at right angles to each other (make_ucs
// builds such axes from any two directions), so going back to the UCS is a projection.
struct Ucs {
  Vec3 origin;
  Vec3 x_axis{1, 0, 0};
  Vec3 y_axis{0, 1, 0};

  Vec3 z_axis() const;
  Vec3 to_world(Vec3 p) const;
  Vec3 from_world(Vec3 p) const;
  // Displacements (vectors between points) ignore the origin.
  Vec3 to_world_disp(Vec3 v) const;
  Vec3 from_world_disp(Vec3 v) const;
  // The X and Y axes turned counter-clockwise about this UCS's own Z axis; the origin stays.
  Ucs rotated_about_z(double angle) const;
  // Within rounding, so that a UCS turned and turned back still counts as the world.
  bool is_world() const;
};

// A UCS with its X axis along x_direction and its XY plane holding xy_direction (the Y axis is
// made perpendicular to X). Nothing when either direction is zero or the two are parallel.
std::optional<Ucs> make_ucs(Vec3 origin, Vec3 x_direction, Vec3 xy_direction);

// The angle in [0, 2*pi), counter-clockwise from the UCS X axis in the UCS XY plane, of a world
// direction (its part along the UCS Z axis does not count).
double angle_in_ucs_of_world_direction(const Ucs& ucs, Vec3 direction);

struct Axes {
  Vec3 x;
  Vec3 y;
  Vec3 z;
};

// The object coordinate system of an extrusion direction by the DXF arbitrary axis algorithm.
// The extrusion need not be unit length; a zero extrusion is taken as world Z.
Axes ocs_axes(Vec3 extrusion);
Vec3 ocs_to_world(Vec3 p, Vec3 extrusion);
Vec3 world_to_ocs(Vec3 p, Vec3 extrusion);
// An OCS shares the world origin, so displacements transform as points do; these exist so that
// callers handling both kinds say which one they mean.
inline Vec3 ocs_to_world_disp(Vec3 v, Vec3 extrusion) { return ocs_to_world(v, extrusion); }
inline Vec3 world_to_ocs_disp(Vec3 v, Vec3 extrusion) { return world_to_ocs(v, extrusion); }

}  // namespace cad
