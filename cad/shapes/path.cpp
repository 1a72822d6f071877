#include "cad/shapes/path.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace cad {

namespace {
constexpr double kPi = std::numbers::pi;
constexpr int kEllipseSegments = 64;  // per full turn
}  // namespace

void append_arc(Path& path, Vec2 center, double radius, double start, double sweep, double z) {
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
  const double step = sweep / pieces;
  for (int i = 0; i <= pieces; ++i) {
    const double angle = start + step * i;
    path.points.push_back(
        {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle), z});
    path.bulges.push_back(i < pieces ? std::tan(step / 4) : 0);
  }
}

int ellipse_segments(double sweep) {
  return std::max(4, static_cast<int>(std::ceil(kEllipseSegments * std::abs(sweep) / (2 * kPi))));
}

Box2 path_box(const Path& path) {
  Box2 box;
  for_each_segment(path, [&](Vec2 a, Vec2 b, double bulge) {
    box.extend(a);
    box.extend(b);
    if (const auto arc = bulge_arc(a, b, bulge)) box.extend(arc_box(*arc));
  });
  return box;
}

Box2 paths_box(const std::vector<Path>& paths) {
  Box2 box;
  for (const Path& path : paths) box.extend(path_box(path));
  return box;
}

double path_distance(const Path& path, Vec2 p) {
  double best = std::numeric_limits<double>::infinity();
  for_each_segment(path, [&](Vec2 a, Vec2 b, double bulge) {
    const auto arc = bulge_arc(a, b, bulge);
    best = std::min(best, arc ? point_arc_distance(p, *arc) : point_segment_distance(p, a, b));
  });
  return best;
}

bool path_crosses_segment(const Path& path, Vec2 a, Vec2 b) {
  bool crosses = false;
  for_each_segment(path, [&](Vec2 p, Vec2 q, double bulge) {
    if (crosses) return;
    const auto arc = bulge_arc(p, q, bulge);
    crosses = arc ? segment_crosses_arc(a, b, *arc) : segment_crosses_segment(a, b, p, q);
  });
  return crosses;
}

bool path_meets_box(const Path& path, const Box2& box) {
  bool meets = false;
  for_each_segment(path, [&](Vec2 p, Vec2 q, double bulge) {
    if (meets) return;
    const auto arc = bulge_arc(p, q, bulge);
    meets = arc ? arc_meets_box(*arc, box) : segment_meets_box(p, q, box);
  });
  return meets;
}

bool path_encloses(const Path& path, Vec2 p) {
  if (!path.closed || path.points.size() < 3) return false;
  bool inside = false;
  for_each_segment(path, [&](Vec2 a, Vec2 b, double) {
    if ((a.y > p.y) != (b.y > p.y)) {
      const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (x > p.x) inside = !inside;
    }
  });
  return inside;
}

}  // namespace cad
