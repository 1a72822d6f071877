// User and object coordinate systems.
#include "cad/geom/coords.h"

#include <cmath>
#include <numbers>

namespace cad {

namespace {

// Axis components this close to the world axes are rounding left over from turning a UCS.
constexpr double kWorldTolerance = 1e-12;

// Below this sine of the angle between them, two directions are parallel within rounding.
constexpr double kParallelSine = 1e-12;

// The DXF arbitrary axis algorithm switches from world Z to world Y when the extrusion is within
// this distance of the world Z axis in both X and Y.
constexpr double kArbitraryAxisThreshold = 1.0 / 64.0;

bool near(Vec3 a, Vec3 b) {
  return std::abs(a.x - b.x) <= kWorldTolerance && std::abs(a.y - b.y) <= kWorldTolerance &&
         std::abs(a.z - b.z) <= kWorldTolerance;
}

}  // namespace

Vec3 Ucs::z_axis() const { return normalized(cross(x_axis, y_axis)); }

Vec3 Ucs::to_world(Vec3 p) const { return origin + to_world_disp(p); }

Vec3 Ucs::from_world(Vec3 p) const { return from_world_disp(p - origin); }

Vec3 Ucs::to_world_disp(Vec3 v) const { return x_axis * v.x + y_axis * v.y + z_axis() * v.z; }

Vec3 Ucs::from_world_disp(Vec3 v) const {
  return {dot(v, x_axis), dot(v, y_axis), dot(v, z_axis())};
}

Ucs Ucs::rotated_about_z(double angle) const {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {origin, x_axis * c + y_axis * s, y_axis * c - x_axis * s};
}

bool Ucs::is_world() const {
  return near(origin, {}) && near(x_axis, {1, 0, 0}) && near(y_axis, {0, 1, 0});
}

std::optional<Ucs> make_ucs(Vec3 origin, Vec3 x_direction, Vec3 xy_direction) {
  const Vec3 x = normalized(x_direction);
  const Vec3 normal = cross(x, normalized(xy_direction));
  if (length(normal) < kParallelSine) {
    return std::nullopt;
  }
  const Vec3 z = normalized(normal);
  return Ucs{origin, x, cross(z, x)};
}

double angle_in_ucs_of_world_direction(const Ucs& ucs, Vec3 direction) {
  const double angle = std::atan2(dot(direction, ucs.y_axis), dot(direction, ucs.x_axis));
  return angle < 0 ? angle + 2 * std::numbers::pi : angle;
}

Axes ocs_axes(Vec3 extrusion) {
  Vec3 z = normalized(extrusion);
  if (z == Vec3{}) {
    z = {0, 0, 1};
  }
  const bool near_world_z =
      std::abs(z.x) < kArbitraryAxisThreshold && std::abs(z.y) < kArbitraryAxisThreshold;
  const Vec3 x = normalized(cross(near_world_z ? Vec3{0, 1, 0} : Vec3{0, 0, 1}, z));
  return {x, normalized(cross(z, x)), z};
}

Vec3 ocs_to_world(Vec3 p, Vec3 extrusion) {
  const Axes axes = ocs_axes(extrusion);
  return axes.x * p.x + axes.y * p.y + axes.z * p.z;
}

Vec3 world_to_ocs(Vec3 p, Vec3 extrusion) {
  const Axes axes = ocs_axes(extrusion);
  return {dot(p, axes.x), dot(p, axes.y), dot(p, axes.z)};
}

}  // namespace cad
