// Line intersection in space.
#include "cad/geom/intersect.h"

#include <algorithm>
#include <cmath>

namespace cad {

namespace {

// Below this sine of the angle between them, two lines are parallel.
constexpr double kParallelSine = 1e-10;

// Lines farther apart than this, relative to the size of the figure, do not lie in one plane.
constexpr double kCoplanarTolerance = 1e-9;

// How far past its ends, as a fraction of its length, a segment still holds a point.
constexpr double kEndTolerance = 1e-9;

bool within_segment(double t) { return t >= -kEndTolerance && t <= 1 + kEndTolerance; }

}  // namespace

std::optional<Vec3> intersect_lines(Vec3 from1, Vec3 to1, Vec3 from2, Vec3 to2, bool on_segments) {
  const Vec3 d1 = to1 - from1;
  const Vec3 d2 = to2 - from2;
  const double len1 = length(d1);
  const double len2 = length(d2);
  if (len1 == 0 || len2 == 0) {
    return std::nullopt;
  }
  const Vec3 normal = cross(d1, d2);
  const double normal_len = length(normal);
  if (normal_len <= kParallelSine * len1 * len2) {
    return std::nullopt;
  }
  const Vec3 between = from2 - from1;
  const double gap = std::abs(dot(between, normal)) / normal_len;
  const double size = std::max({len1, len2, length(between)});
  if (gap > kCoplanarTolerance * size) {
    return std::nullopt;
  }
  const double normal_sq = normal_len * normal_len;
  const double t1 = dot(cross(between, d2), normal) / normal_sq;
  const double t2 = dot(cross(between, d1), normal) / normal_sq;
  if (on_segments && !(within_segment(t1) && within_segment(t2))) {
    return std::nullopt;
  }
  return from1 + d1 * t1;
}

}  // namespace cad
