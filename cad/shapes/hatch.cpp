// A HATCH's boundary paths are read group by group: a count, then for each path its flags and
// either polyline vertices or edges, each kind of edge with its own groups in a fixed order.
#include "cad/shapes/hatch.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <type_traits>
#include <utility>

#include "cad/geom/arcs.h"
#include "cad/geom/coords.h"
#include "cad/types/flags.h"

namespace cad {

namespace {
constexpr double kPi = std::numbers::pi;
}  // namespace

void hatch_paths(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const std::vector<Group>& g = rec.groups;
  const size_t end = rec.xdata_begin();
  size_t k = rec.index_of(91);
  if (k >= end) return;
  const double elevation = rec.point(10).z;  // the first 10 is the elevation point
  const int64_t count = g[k++].i();
  const Affine to_world = m.after(ocs_map(extrusion_of(rec)));
  auto at = [&](int code) { return k < end && g[k].code == code; };
  auto take = [&](int code, auto fallback) {
    if (!at(code)) return fallback;
    const Group& item = g[k++];
    if constexpr (std::is_same_v<decltype(fallback), double>) {
      return item.x();
    } else if constexpr (std::is_same_v<decltype(fallback), Vec2>) {
      return Vec2{item.x(), item.y()};
    } else {
      return item.i();
    }
  };
  for (int64_t n = 0; n < count && at(92); ++n) {
    const int64_t flags = g[k++].i();
    Path path;
    path.closed = true;
    // Joins edge after edge: an edge starting where the last one ended continues the path.
    auto add = [&](Vec2 p, double bulge) {
      if (!path.points.empty() && distance(xy(path.points.back()), p) < 1e-9 * (1 + length(p))) {
        path.bulges.back() = bulge;
        return;
      }
      path.points.push_back(with_z(p, elevation));
      path.bulges.push_back(bulge);
    };
    if (flags & kHatchPolylinePath) {
      // The has-bulge and closed flags add nothing: bulges are read where present and every
      // boundary is a loop.
      take(72, int64_t{0});
      take(73, int64_t{0});
      const int64_t vertices = take(93, int64_t{0});
      for (int64_t v = 0; v < vertices && at(10); ++v) {
        const Vec2 p = take(10, Vec2{});
        add(p, 0);
        path.bulges.back() = take(42, 0.0);
      }
    } else {
      const int64_t edges = take(93, int64_t{0});
      for (int64_t e = 0; e < edges && at(72); ++e) {
        const int64_t edge = take(72, int64_t{0});
        if (edge == 1) {
          add(take(10, Vec2{}), 0);
          add(take(11, Vec2{}), 0);
        } else if (edge == 2 || edge == 3) {
          const Vec2 center = take(10, Vec2{});
          const Vec2 major = edge == 3 ? take(11, Vec2{}) : Vec2{};
          const double size = take(40, 0.0);  // radius, or the ratio of an ellipse
          double start = take(50, 0.0);
          double stop = take(51, 0.0);
          const bool ccw = take(73, int64_t{1}) != 0;
          // Clockwise edges keep their angles mirrored.
          if (!ccw) {
            start = -start;
            stop = -stop;
          }
          double sweep = normalize_angle(ccw ? stop - start : start - stop);
          if (sweep == 0) sweep = 2 * kPi;
          if (!ccw) sweep = -sweep;
          if (edge == 2) {
            Path piece;
            append_arc(piece, center, size, start, sweep, elevation);
            for (size_t i = 0; i < piece.points.size(); ++i)
              add(xy(piece.points[i]), piece.bulges[i]);
          } else {
            const int steps = ellipse_segments(sweep);
            for (int i = 0; i <= steps; ++i)
              add(ellipse_point(center, major, size, start + sweep * i / steps), 0);
          }
        } else if (edge == 4) {
          // Spline edge: drawn through its control points.
          for (int code : {94, 73, 74, 95, 96}) take(code, int64_t{0});
          while (at(40)) ++k;
          while (at(10) || at(42)) {
            if (at(10))
              add(take(10, Vec2{}), 0);
            else
              ++k;
          }
          // Fit data (newer files) starts with its own 97 count, like the source objects that
          // end the path; it is fit data when fit points or the next edge follow.
          if (at(97) && k + 1 < end) {
            const int next = g[k + 1].code;
            if ((g[k].i() > 0 && next == 11) ||
                (g[k].i() == 0 && (next == 97 || next == 72 || next == 12))) {
              ++k;
              while (at(11) || at(12) || at(13)) ++k;
            }
          }
        } else {
          break;
        }
      }
    }
    if (path.points.size() > 1 && distance(path.points.front(), path.points.back()) < 1e-9) {
      path.points.pop_back();
      path.bulges.pop_back();
    }
    if (!path.points.empty()) out.push_back(transformed(std::move(path), to_world));
    const int64_t sources = take(97, int64_t{0});
    for (int64_t s = 0; s < sources && at(330); ++s) ++k;
  }
}

}  // namespace cad
