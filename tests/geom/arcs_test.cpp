// Bulge arcs, distances, crossings and boxes: the plane figures behind picks, fences and windows.
#include "cad/geom/arcs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <numbers>
#include <optional>

#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

constexpr double kPi = std::numbers::pi;

// The upper half of the unit circle, drawn from (1,0) to (-1,0).
Arc2 upper_half() { return *bulge_arc({1, 0}, {-1, 0}, 1); }

// The half circle of bulge 1 on its chord, the same arc of bulge -1 drawn the other way round
// (counter-clockwise from its second point), and a quarter circle (bulge tan(pi/8)) with its
// three-quarter complement on the same chord, whose centre lies on the other side.
TEST(BulgeArcTest, BulgesGiveTheirArcsOnTheChord) {
  const struct {
    Vec2 p1, p2;
    double bulge;
    Vec2 center;
    double sweep;
  } cases[] = {
      {{1, 0}, {-1, 0}, 1, {0, 0}, kPi},
      {{-1, 0}, {1, 0}, -1, {0, 0}, kPi},
      {{1, 0}, {0, 1}, std::tan(kPi / 8), {0, 0}, kPi / 2},
      {{1, 0}, {0, 1}, std::tan(3 * kPi / 8), {1, 1}, 3 * kPi / 2},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    const std::optional<Arc2> arc = bulge_arc(c.p1, c.p2, c.bulge);
    ASSERT_TRUE(arc.has_value()) << k;
    EXPECT_TRUE(near(arc->center, c.center)) << k;
    EXPECT_NEAR(arc->radius, 1, 1e-12) << k;
    EXPECT_NEAR(arc_sweep(*arc), c.sweep, 1e-12) << k;
    EXPECT_TRUE(near(arc_point(*arc, arc->start_angle), c.bulge > 0 ? c.p1 : c.p2)) << k;
    EXPECT_TRUE(near(arc_point(*arc, arc->end_angle), c.bulge > 0 ? c.p2 : c.p1)) << k;
  }
  const Arc2 half = upper_half();
  EXPECT_TRUE(near(arc_point(half, (half.start_angle + half.end_angle) / 2), Vec2{0, 1}));
  // Straight or degenerate segments have no arc.
  EXPECT_FALSE(bulge_arc({0, 0}, {1, 0}, 0));
  EXPECT_FALSE(bulge_arc({2, 2}, {2, 2}, 0.5));
}

// An arc across zero holds angles on both sides; equal angles make a full circle.
TEST(ArcAngleTest, ArcsAcrossZeroAndFullCircles) {
  const Arc2 arc{{0, 0}, 1, 7 * kPi / 4, kPi / 4};
  for (const double angle : {0.0, -kPi / 8, kPi / 4}) EXPECT_TRUE(arc_contains_angle(arc, angle));
  EXPECT_FALSE(arc_contains_angle(arc, kPi));
  EXPECT_NEAR(arc_sweep(arc), kPi / 2, 1e-12);
  const Arc2 circle{{0, 0}, 1, 0, 2 * kPi};
  EXPECT_NEAR(arc_sweep(circle), 2 * kPi, 1e-12);
  EXPECT_TRUE(arc_contains_angle(circle, 3));
  EXPECT_DOUBLE_EQ(normalize_angle(-kPi / 2), 3 * kPi / 2);
  EXPECT_EQ(normalize_angle(-1e-17), 0);
}

TEST(DistanceTest, SegmentDistanceIsToTheNearestPointOrEndAndArcDistanceRadialOrToAnEnd) {
  EXPECT_DOUBLE_EQ(point_segment_distance({1, 2}, {0, 0}, {4, 0}), 2);
  EXPECT_DOUBLE_EQ(point_segment_distance({7, 4}, {0, 0}, {4, 0}), 5);
  EXPECT_DOUBLE_EQ(point_segment_distance({3, 4}, {0, 0}, {0, 0}), 5);
  const Arc2 arc = upper_half();
  EXPECT_NEAR(point_arc_distance({0, 3}, arc), 2, 1e-12);
  EXPECT_NEAR(point_arc_distance({0, 0.25}, arc), 0.75, 1e-12);
  EXPECT_NEAR(point_arc_distance({0, -1}, arc), std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(point_arc_distance({0, 0}, arc), 1, 1e-12);
}

// Crossing, touching and overlapping count; apart, parallel and collinear gaps do not, also far
// from the origin. An end interpolated along the other segment (so off it by a rounding error)
// still touches it.
TEST(SegmentCrossingTest, CrossingsTouchesAndOverlapsCountGapsDoNot) {
  const Vec2 o{3.0e6, -1.5e6};
  const Vec2 a1{6.9, 39.3};
  const Vec2 a2{-6.3, 39.7};
  const Vec2 on_bar = a1 + (a2 - a1) * 0.04;
  const struct {
    Vec2 a1, a2, b1, b2;
    bool crosses;
  } cases[] = {
      {{0, 0}, {2, 2}, {0, 2}, {2, 0}, true},
      {{0, 0}, {2, 0}, {1, 0}, {1, 5}, true},
      {{0, 0}, {2, 0}, {2, 0}, {3, 1}, true},
      {{0, 0}, {2, 0}, {1, 0}, {5, 0}, true},
      {a1, a2, on_bar, on_bar + Vec2{-48.2, -37.5}, true},
      {o, o + Vec2{2, 2}, o + Vec2{0, 2}, o + Vec2{2, 0}, true},
      {{0, 0}, {2, 2}, {3, 0}, {2, 1}, false},
      {{0, 0}, {2, 0}, {0, 1}, {2, 1}, false},
      {{0, 0}, {2, 0}, {2.5, 0}, {5, 0}, false},
      {o, o + Vec2{2, 2}, o + Vec2{3, 0}, o + Vec2{2, 1}, false},
  };
  for (size_t k = 0; k < std::size(cases); ++k)
    EXPECT_EQ(segment_crosses_segment(cases[k].a1, cases[k].a2, cases[k].b1, cases[k].b2),
              cases[k].crosses)
        << k;
}

// Against the upper half circle and its whole circle: only the arc part counts, not its chord;
// tangents and ends count.
TEST(ArcCrossingTest, OnlyTheArcPartCountsWithItsTangentsAndEnds) {
  const struct {
    Vec2 a, b;
    bool arc, circle;
  } cases[] = {
      {{0, -0.5}, {0, 0.5}, false, false},  {{0, 0.5}, {0, 2}, true, true},
      {{-2, -0.5}, {2, -0.5}, false, true}, {{-0.5, 0.2}, {0.5, 0.2}, false, false},
      {{-1, 1}, {1, 1}, true, true},        {{1, -1}, {1, 0}, true, true},
      {{0, 1}, {0, 1}, true, true},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    EXPECT_EQ(segment_crosses_arc(cases[k].a, cases[k].b, upper_half()), cases[k].arc) << k;
    EXPECT_EQ(segment_crosses_circle(cases[k].a, cases[k].b, {0, 0}, 1), cases[k].circle) << k;
  }
}

TEST(ArcCrossingTest, ComputedTangentsAndEndsCountDespiteRounding) {
  // A tangent built from the arc's own point and direction misses the circle by a rounding error.
  const Arc2 arc{{3, -2}, 2.5, 3.06, 4.06};
  const double middle = 3.56;
  const Vec2 touch = arc_point(arc, middle);
  const Vec2 along{-std::sin(middle), std::cos(middle)};
  EXPECT_TRUE(segment_crosses_arc(touch - along * 3, touch + along * 3, arc));
  // The start point's direction comes back from atan2 just short of the start angle.
  const Arc2 other{{3, -2}, 2.5, 5.57, 6.57};
  const Vec2 start = arc_point(other, other.start_angle);
  EXPECT_TRUE(segment_crosses_arc(start + (start - other.center), start, other));
}

TEST(BoxTest, EmptyBoxGrowsFromItsFirstPoint) {
  Box2 box;
  EXPECT_TRUE(box.empty());
  EXPECT_FALSE(box.contains(Vec2{0, 0}));
  box.extend({2, 3});
  EXPECT_FALSE(box.empty());
  EXPECT_TRUE(box.contains(Vec2{2, 3}));
  box.extend(Box2{});
  box.extend(Box2({-1, 5}, {0, 4}));
  EXPECT_TRUE(near(box.min, Vec2{-1, 3}));
  EXPECT_TRUE(near(box.max, Vec2{2, 5}));
}

TEST(BoxTest, ContainmentAndOverlapIncludeTheBorder) {
  const Box2 box = Box2({0, 0}, {4, 4});
  EXPECT_TRUE(box.contains(Box2({0, 1}, {4, 2})));
  EXPECT_FALSE(box.contains(Box2({1, 1}, {5, 2})));
  EXPECT_FALSE(box.contains(Box2{}));
  EXPECT_TRUE(box.overlaps(Box2({4, 4}, {6, 6})));
  EXPECT_FALSE(box.overlaps(Box2({4.1, 0}, {6, 6})));
  EXPECT_FALSE(box.overlaps(Box2{}));
}

TEST(BoxTest, ArcBoxReachesTheQuadrantPointsItPasses) {
  const Box2 box = arc_box(upper_half());
  EXPECT_TRUE(near(box.min, Vec2{-1, 0}));
  EXPECT_TRUE(near(box.max, Vec2{1, 1}));
  const Box2 small = arc_box({{0, 0}, 2, kPi / 6, kPi / 3});
  EXPECT_NEAR(small.max.y, 2 * std::sin(kPi / 3), 1e-12);
  EXPECT_NEAR(small.min.y, 1, 1e-12);
}

TEST(BoxTest, CrossingWindowFindsFiguresPassingThroughIt) {
  const Box2 window = Box2({-0.25, 0.9}, {0.25, 2});
  EXPECT_TRUE(segment_meets_box({-1, 0}, {1, 3}, window));
  EXPECT_TRUE(segment_meets_box({0, 1}, {0, 1.5}, window));
  EXPECT_FALSE(segment_meets_box({-1, 0}, {1, 0}, window));
  EXPECT_TRUE(arc_meets_box(upper_half(), window));
  // A window inside the circle that the curve does not pass through.
  EXPECT_FALSE(arc_meets_box(upper_half(), Box2({-0.2, 0.1}, {0.2, 0.5})));
  EXPECT_FALSE(segment_meets_box({0, 0}, {1, 1}, Box2{}));
}

// The parameter runs from the major to the minor axis; in space the minor axis follows the
// extrusion.
TEST(EllipseTest, ParameterRunsFromMajorToMinorAxis) {
  EXPECT_TRUE(near(ellipse_point({1, 1}, {0, 4}, 0.5, 0), Vec2{1, 5}));
  EXPECT_TRUE(near(ellipse_point({1, 1}, {0, 4}, 0.5, kPi / 2), Vec2{-1, 1}));
  const Vec3 major{4, 0, 0};
  EXPECT_TRUE(near(ellipse_point({}, major, {0, 0, 1}, 0.5, kPi / 2), Vec3{0, 2, 0}));
  EXPECT_TRUE(near(ellipse_point({}, major, {0, 0, -3}, 0.5, kPi / 2), Vec3{0, -2, 0}));
}

}  // namespace
}  // namespace cad
