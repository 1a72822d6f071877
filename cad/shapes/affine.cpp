#include "cad/shapes/affine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cad/geom/arcs.h"
#include "cad/geom/coords.h"

namespace cad {

namespace {
constexpr double kArcStep = std::numbers::pi / 18;
}  // namespace

Affine ocs_map(Vec3 extrusion) {
  const Axes axes = ocs_axes(extrusion);
  return {axes.x, axes.y, axes.z, {}};
}

Vec3 extrusion_of(const Record& rec) { return rec.point(210, {0, 0, 1}); }

int arc_orientation(const Affine& m) {
  constexpr double kTolerance = 1e-9;
  const Vec2 u = xy(m.x);
  const Vec2 v = xy(m.y);
  const double lu = length(u);
  const double lv = length(v);
  if (lu == 0 || lv == 0 || length(xy(m.z)) > kTolerance * lu) return 0;
  if (std::abs(lu - lv) > kTolerance * std::max(lu, lv) ||
      std::abs(dot(u, v)) > kTolerance * lu * lv)
    return 0;
  return cross(u, v) > 0 ? 1 : -1;
}

Path tessellated(const Path& path) {
  Path out;
  out.closed = path.closed;
  const size_t n = path.points.size();
  for (size_t k = 0; k < n; ++k) {
    out.points.push_back(path.points[k]);
    const double bulge = path.bulges.empty() ? 0 : path.bulges[k];
    if (bulge == 0 || (k + 1 == n && !path.closed)) continue;
    const Vec3 a = path.points[k];
    const Vec3 b = path.points[(k + 1) % n];
    const auto arc = bulge_arc(xy(a), xy(b), bulge);
    if (!arc) continue;
    const double sweep = arc_sweep(*arc);
    const int steps = std::max(2, static_cast<int>(std::ceil(sweep / kArcStep)));
    for (int i = 1; i < steps; ++i) {
      const double t = static_cast<double>(i) / steps;
      const double angle = bulge > 0 ? arc->start_angle + sweep * t : arc->end_angle - sweep * t;
      out.points.push_back(with_z(arc_point(*arc, angle), a.z + (b.z - a.z) * t));
    }
  }
  return out;
}

Path transformed(Path path, const Affine& m) {
  if (std::none_of(path.bulges.begin(), path.bulges.end(), [](double b) { return b != 0; })) {
    path.bulges.clear();
  } else if (const int orientation = arc_orientation(m); orientation == 0) {
    path = tessellated(path);
  } else if (orientation < 0) {
    for (double& b : path.bulges) b = -b;
  }
  for (Vec3& p : path.points) p = m.apply(p);
  return path;
}

}  // namespace cad
