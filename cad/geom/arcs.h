// Plane figures for picks, fences, windows and pictures: bulge arcs of polylines, distances to
// segments and arcs, crossing tests, bounding boxes and points on ellipses.
#pragma once

#include <limits>
#include <optional>

#include "cad/geom/vec.h"

namespace cad {

// The angle brought into [0, 2*pi).
double normalize_angle(double angle);

// A circular arc running counter-clockwise from start_angle to end_angle (radians). Equal angles
// (after normalizing) make a full circle.
struct Arc2 {
  Vec2 center;
  double radius = 0;
  double start_angle = 0;
  double end_angle = 0;
};

// The arc of a polyline segment from p1 to p2 with the given bulge (the tangent of a quarter of
// the included angle; negative runs clockwise from p1 to p2, and the arc returned is the same arc
// taken counter-clockwise, from p2 to p1). Angles come back normalized. Nothing for a straight
// segment (zero bulge) or identical points.
std::optional<Arc2> bulge_arc(Vec2 p1, Vec2 p2, double bulge);

// The included angle, in (0, 2*pi].
double arc_sweep(const Arc2& arc);
Vec2 arc_point(const Arc2& arc, double angle);
// Whether the direction at this angle from the center falls on the arc; the ends count.
bool arc_contains_angle(const Arc2& arc, double angle);

double point_segment_distance(Vec2 p, Vec2 a, Vec2 b);
double point_arc_distance(Vec2 p, const Arc2& arc);

// Whether two segments share a point; touching and overlapping count.
bool segment_crosses_segment(Vec2 a1, Vec2 a2, Vec2 b1, Vec2 b2);
// Whether a segment meets the circle's curve (not the disc inside it); a tangent counts.
bool segment_crosses_circle(Vec2 a1, Vec2 a2, Vec2 center, double radius);
// Whether a segment meets the arc's curve; a tangent and the arc's ends count.
bool segment_crosses_arc(Vec2 a1, Vec2 a2, const Arc2& arc);

// An axis-aligned box. A default box is empty and takes the first point extended into it.
struct Box2 {
  Box2() = default;
  // The box spanned by two corners given in any order.
  Box2(Vec2 corner1, Vec2 corner2);

  Vec2 min{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
  Vec2 max{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};

  bool empty() const { return min.x > max.x || min.y > max.y; }
  void extend(Vec2 p);
  void extend(const Box2& other);
  // Points on the border are inside.
  bool contains(Vec2 p) const;
  // An empty box lies in no box.
  bool contains(const Box2& other) const;
  // Boxes touching at the border overlap.
  bool overlaps(const Box2& other) const;
};

Box2 arc_box(const Arc2& arc);
// Whether any part of the segment or arc lies in the box (the test of a crossing window).
bool segment_meets_box(Vec2 a, Vec2 b, const Box2& box);
bool arc_meets_box(const Arc2& arc, const Box2& box);

// The point of an ellipse at a parameter (not an angle: the point is center + major_axis * cos t
// + minor_axis * sin t, the minor axis being the major turned a quarter turn counter-clockwise
// and scaled by ratio), as DXF ELLIPSE entities describe it.
Vec2 ellipse_point(Vec2 center, Vec2 major_axis, double ratio, double param);
// The same in space: the minor axis runs along extrusion x major_axis.
Vec3 ellipse_point(Vec3 center, Vec3 major_axis, Vec3 extrusion, double ratio, double param);

}  // namespace cad
