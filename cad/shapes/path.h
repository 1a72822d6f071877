// Paths: polylines with circular arcs (bulges) in the world XY plane, the form every entity's
// geometry takes, with the boxes and the tests that picks, windows and fences make on them.
#pragma once

#include <cstddef>
#include <vector>

#include "cad/geom/arcs.h"
#include "cad/geom/vec.h"

namespace cad {

struct Path {
  std::vector<Vec3> points;
  // Empty, or one per point: the bulge of the segment from that point to the next (from the last
  // to the first when closed).
  std::vector<double> bulges;
  bool closed = false;
};

// Appends an arc counter-clockwise (clockwise, for a negative sweep) from start over sweep radians,
// as bulge segments of at most a quarter turn; the end point carries bulge 0.
void append_arc(Path& path, Vec2 center, double radius, double start, double sweep, double z);
// The segments an elliptical arc of this sweep (radians, either way) is divided into: 64 per full
// turn, at least 4.
int ellipse_segments(double sweep);

// Bounding boxes in the world XY plane; arcs count with their real extent.
Box2 path_box(const Path& path);
Box2 paths_box(const std::vector<Path>& paths);

// Calls f(a, b, bulge) for every segment of a path, in the XY plane; a path of one point gives one
// segment from that point to itself.
template <typename F>
void for_each_segment(const Path& path, F&& f) {
  const size_t n = path.points.size();
  if (n == 0) return;
  if (n == 1) {
    f(xy(path.points[0]), xy(path.points[0]), 0.0);
    return;
  }
  const size_t count = path.closed ? n : n - 1;
  for (size_t k = 0; k < count; ++k) {
    const double bulge = path.bulges.empty() ? 0.0 : path.bulges[k];
    f(xy(path.points[k]), xy(path.points[(k + 1) % n]), bulge);
  }
}

// The distance in the XY plane from a point to the nearest point of the path.
double path_distance(const Path& path, Vec2 p);
// Whether the segment from a to b meets the path (touching counts).
bool path_crosses_segment(const Path& path, Vec2 a, Vec2 b);
// Whether any part of the path lies in the box.
bool path_meets_box(const Path& path, const Box2& box);
// Whether a closed path surrounds the point (even-odd rule; arcs taken as their chords).
bool path_encloses(const Path& path, Vec2 p);

}  // namespace cad
