// Bulge arcs, distances, crossings and boxes in the plane.
#include "cad/geom/arcs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace cad {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// An arc still holds a direction this far (radians) past either end.
constexpr double kAngleTolerance = 1e-9;

// Below this sine of the angle at the first point, three points are in line.
constexpr double kCollinearSine = 1e-10;

// How far past its ends, as a fraction of its length, a segment still holds a point, and how far
// outside a circle, as a fraction of the radius, a line still touches it.
constexpr double kRelativeTolerance = 1e-9;

// -1, 0 or 1 as c lies right of, on, or left of the line from a to b.
int orientation(Vec2 a, Vec2 b, Vec2 c) {
  const Vec2 ab = b - a;
  const Vec2 ac = c - a;
  const double area = cross(ab, ac);
  if (std::abs(area) <= kCollinearSine * length(ab) * length(ac)) {
    return 0;
  }
  return area > 0 ? 1 : -1;
}

// For a point known to be in line with a and b: whether it lies between them.
bool within_collinear(Vec2 a, Vec2 b, Vec2 p) {
  const double tolerance = kRelativeTolerance * (1 + distance(a, b));
  return p.x >= std::min(a.x, b.x) - tolerance && p.x <= std::max(a.x, b.x) + tolerance &&
         p.y >= std::min(a.y, b.y) - tolerance && p.y <= std::max(a.y, b.y) + tolerance;
}

// The points where a segment meets a circle, as parameters along the segment (0 at a1, 1 at a2);
// a tangent gives one point twice.
struct CircleHits {
  std::array<double, 2> params{};
  int count = 0;
};

CircleHits segment_circle_hits(Vec2 a1, Vec2 a2, Vec2 center, double radius) {
  CircleHits hits;
  const Vec2 d = a2 - a1;
  const double len = length(d);
  const Vec2 from_center = a1 - center;
  const double touch = kRelativeTolerance * std::max(radius, len);
  if (len == 0) {
    if (std::abs(length(from_center) - radius) <= touch) {
      hits.params = {0, 0};
      hits.count = 2;
    }
    return hits;
  }
  const double offset = std::abs(cross(d, from_center)) / len;
  if (offset > radius + touch) {
    return hits;
  }
  const double closest = -dot(from_center, d) / (len * len);
  const double half_chord = std::sqrt(std::max(0.0, radius * radius - offset * offset)) / len;
  for (const double t : {closest - half_chord, closest + half_chord}) {
    if (t >= -kRelativeTolerance && t <= 1 + kRelativeTolerance) {
      hits.params[hits.count++] = t;
    }
  }
  return hits;
}

std::array<std::array<Vec2, 2>, 4> box_edges(const Box2& box) {
  const Vec2 lower_right{box.max.x, box.min.y};
  const Vec2 upper_left{box.min.x, box.max.y};
  return {{{box.min, lower_right},
           {lower_right, box.max},
           {box.max, upper_left},
           {upper_left, box.min}}};
}

}  // namespace

double normalize_angle(double angle) {
  double result = std::fmod(angle, kTwoPi);
  if (result < 0) {
    result += kTwoPi;
  }
  // Adding 2*pi to a tiny negative angle rounds to 2*pi itself.
  return result >= kTwoPi ? 0 : result;
}

std::optional<Arc2> bulge_arc(Vec2 p1, Vec2 p2, double bulge) {
  const double chord = distance(p1, p2);
  if (bulge == 0 || chord == 0) {
    return std::nullopt;
  }
  const double half = chord / 2;
  const Vec2 mid = (p1 + p2) / 2;
  const Vec2 left = perp((p2 - p1) / chord);
  // The center lies on the chord's perpendicular bisector; its signed distance along the left
  // normal follows from the sagitta (bulge * half) and the radius.
  const Vec2 center = mid + left * (half * (1 - bulge * bulge) / (2 * bulge));
  const double radius = half * (1 + bulge * bulge) / (2 * std::abs(bulge));
  const double a1 = normalize_angle(std::atan2(p1.y - center.y, p1.x - center.x));
  const double a2 = normalize_angle(std::atan2(p2.y - center.y, p2.x - center.x));
  if (bulge > 0) {
    return Arc2{center, radius, a1, a2};
  }
  return Arc2{center, radius, a2, a1};
}

double arc_sweep(const Arc2& arc) {
  const double sweep = normalize_angle(arc.end_angle - arc.start_angle);
  return sweep == 0 ? kTwoPi : sweep;
}

Vec2 arc_point(const Arc2& arc, double angle) {
  return arc.center + Vec2{std::cos(angle), std::sin(angle)} * arc.radius;
}

bool arc_contains_angle(const Arc2& arc, double angle) {
  const double along = normalize_angle(angle - arc.start_angle);
  return along <= arc_sweep(arc) + kAngleTolerance || along >= kTwoPi - kAngleTolerance;
}

double point_segment_distance(Vec2 p, Vec2 a, Vec2 b) {
  const Vec2 d = b - a;
  const double len_sq = dot(d, d);
  if (len_sq == 0) {
    return distance(p, a);
  }
  const double t = std::clamp(dot(p - a, d) / len_sq, 0.0, 1.0);
  return distance(p, a + d * t);
}

double point_arc_distance(Vec2 p, const Arc2& arc) {
  const Vec2 from_center = p - arc.center;
  if (from_center == Vec2{}) {
    return arc.radius;
  }
  if (arc_contains_angle(arc, std::atan2(from_center.y, from_center.x))) {
    return std::abs(length(from_center) - arc.radius);
  }
  return std::min(distance(p, arc_point(arc, arc.start_angle)),
                  distance(p, arc_point(arc, arc.end_angle)));
}

bool segment_crosses_segment(Vec2 a1, Vec2 a2, Vec2 b1, Vec2 b2) {
  const int o1 = orientation(a1, a2, b1);
  const int o2 = orientation(a1, a2, b2);
  const int o3 = orientation(b1, b2, a1);
  const int o4 = orientation(b1, b2, a2);
  if (o1 * o2 < 0 && o3 * o4 < 0) {
    return true;
  }
  return (o1 == 0 && within_collinear(a1, a2, b1)) || (o2 == 0 && within_collinear(a1, a2, b2)) ||
         (o3 == 0 && within_collinear(b1, b2, a1)) || (o4 == 0 && within_collinear(b1, b2, a2));
}

bool segment_crosses_circle(Vec2 a1, Vec2 a2, Vec2 center, double radius) {
  return segment_circle_hits(a1, a2, center, radius).count > 0;
}

bool segment_crosses_arc(Vec2 a1, Vec2 a2, const Arc2& arc) {
  const CircleHits hits = segment_circle_hits(a1, a2, arc.center, arc.radius);
  for (int i = 0; i < hits.count; ++i) {
    const Vec2 p = a1 + (a2 - a1) * hits.params[i];
    if (arc_contains_angle(arc, std::atan2(p.y - arc.center.y, p.x - arc.center.x))) {
      return true;
    }
  }
  return false;
}

Box2::Box2(Vec2 corner1, Vec2 corner2) {
  extend(corner1);
  extend(corner2);
}

void Box2::extend(Vec2 p) {
  min = {std::min(min.x, p.x), std::min(min.y, p.y)};
  max = {std::max(max.x, p.x), std::max(max.y, p.y)};
}

void Box2::extend(const Box2& other) {
  if (!other.empty()) {
    extend(other.min);
    extend(other.max);
  }
}

bool Box2::contains(Vec2 p) const {
  return p.x >= min.x && p.x <= max.x && p.y >= min.y && p.y <= max.y;
}

bool Box2::contains(const Box2& other) const {
  return !other.empty() && contains(other.min) && contains(other.max);
}

bool Box2::overlaps(const Box2& other) const {
  return !empty() && !other.empty() && other.min.x <= max.x && other.max.x >= min.x &&
         other.min.y <= max.y && other.max.y >= min.y;
}

Box2 arc_box(const Arc2& arc) {
  Box2 box(arc_point(arc, arc.start_angle), arc_point(arc, arc.end_angle));
  // The arc reaches farther than its ends only where it passes a quadrant point.
  for (int quadrant = 0; quadrant < 4; ++quadrant) {
    const double angle = quadrant * std::numbers::pi / 2;
    if (arc_contains_angle(arc, angle)) {
      box.extend(arc_point(arc, angle));
    }
  }
  return box;
}

bool segment_meets_box(Vec2 a, Vec2 b, const Box2& box) {
  if (box.empty()) {
    return false;
  }
  if (box.contains(a) || box.contains(b)) {
    return true;
  }
  const auto edges = box_edges(box);
  return std::any_of(edges.begin(), edges.end(), [&](const auto& edge) {
    return segment_crosses_segment(a, b, edge[0], edge[1]);
  });
}

bool arc_meets_box(const Arc2& arc, const Box2& box) {
  if (box.empty()) {
    return false;
  }
  if (box.contains(arc_point(arc, arc.start_angle)) ||
      box.contains(arc_point(arc, arc.end_angle))) {
    return true;
  }
  const auto edges = box_edges(box);
  return std::any_of(edges.begin(), edges.end(),
                     [&](const auto& edge) { return segment_crosses_arc(edge[0], edge[1], arc); });
}

Vec2 ellipse_point(Vec2 center, Vec2 major_axis, double ratio, double param) {
  return center + major_axis * std::cos(param) + perp(major_axis) * (ratio * std::sin(param));
}

Vec3 ellipse_point(Vec3 center, Vec3 major_axis, Vec3 extrusion, double ratio, double param) {
  const Vec3 minor_axis = cross(normalized(extrusion), major_axis) * ratio;
  return center + major_axis * std::cos(param) + minor_axis * std::sin(param);
}

}  // namespace cad
