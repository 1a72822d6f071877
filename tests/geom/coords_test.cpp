// User and object coordinate systems: round trips, and the axes the host expects.
#include "cad/geom/coords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

constexpr double kPi = std::numbers::pi;

Ucs rotated_and_moved() {
  Ucs ucs = Ucs{}.rotated_about_z(kPi / 6);
  ucs.origin = {10, -4, 2};
  return ucs;
}

TEST(UcsTest, RotatedUcsMapsItsXAxisToTheRotatedWorldDirection) {
  const Ucs ucs = rotated_and_moved();
  EXPECT_TRUE(near(ucs.to_world({2, 0, 0}), Vec3{10 + 2 * std::cos(kPi / 6), -4 + 1, 2}));
  EXPECT_TRUE(near(ucs.to_world({0, 0, 3}), Vec3{10, -4, 5}));
  EXPECT_TRUE(near(ucs.from_world({10, -4, 2}), Vec3{}));
}

// Points and displacements round trip; displacements ignore the origin.
TEST(UcsTest, PointsAndDisplacementsRoundTrip) {
  const Ucs ucs = rotated_and_moved();
  for (const Vec3 p : {Vec3{0, 0, 0}, Vec3{3.5, -7.25, 1}, Vec3{-1e4, 2e3, -50}}) {
    EXPECT_TRUE(near(ucs.to_world(ucs.from_world(p)), p, 1e-9 * (1 + length(p))));
    EXPECT_TRUE(near(ucs.from_world_disp(ucs.to_world_disp(p)), p, 1e-9 * (1 + length(p))));
  }
  const Vec3 a{1, 2, 0};
  const Vec3 b{4, -1, 0};
  EXPECT_TRUE(near(ucs.to_world_disp(b - a), ucs.to_world(b) - ucs.to_world(a)));
  EXPECT_TRUE(near(ucs.from_world_disp({0, 0, 0}), Vec3{}));
}

TEST(UcsTest, RotationTurnsAboutTheUcsOwnZAxis) {
  const Ucs tilted = *make_ucs({1, 1, 1}, {0, 1, 0}, {0, 0, 1});
  const Ucs turned = tilted.rotated_about_z(kPi / 2);
  EXPECT_TRUE(near(turned.x_axis, tilted.y_axis));
  EXPECT_TRUE(near(turned.y_axis, -tilted.x_axis));
  EXPECT_TRUE(near(turned.z_axis(), tilted.z_axis()));
  EXPECT_EQ(turned.origin, tilted.origin);
}

TEST(UcsTest, TurningBackCountsAsWorld) {
  EXPECT_TRUE(Ucs{}.is_world());
  Ucs turned;
  for (int i = 0; i < 3; ++i) turned = turned.rotated_about_z(2 * kPi / 3);
  EXPECT_TRUE(turned.is_world());
  EXPECT_FALSE(Ucs{}.rotated_about_z(0.3).is_world());
  EXPECT_FALSE((Ucs{{0, 0, 1}}).is_world());
}

TEST(UcsTest, MakeUcsSquaresTheYAxisAndRefusesParallelDirections) {
  const auto ucs = make_ucs({0, 0, 0}, {2, 0, 0}, {1, 1, 0});
  ASSERT_TRUE(ucs.has_value());
  EXPECT_TRUE(near(ucs->y_axis, Vec3{0, 1, 0}));
  EXPECT_TRUE(near(ucs->z_axis(), Vec3{0, 0, 1}));
  EXPECT_FALSE(make_ucs({0, 0, 0}, {1, 1, 0}, {-2, -2, 0}).has_value());
  EXPECT_FALSE(make_ucs({0, 0, 0}, {0, 0, 0}, {0, 1, 0}).has_value());
}

TEST(UcsTest, AngleOfWorldDirectionIsMeasuredFromUcsXAxis) {
  const Ucs ucs = rotated_and_moved();
  EXPECT_NEAR(angle_in_ucs_of_world_direction(ucs, {1, 0, 0}), 2 * kPi - kPi / 6, 1e-12);
  EXPECT_NEAR(angle_in_ucs_of_world_direction(ucs, {0, 1, 5}), kPi / 2 - kPi / 6, 1e-12);
}

// An upward extrusion is the world, a downward one mirrors X, and a zero one is taken as world Z.
// Beyond 1/64 from the Z axis, X is world Z crossed with the extrusion; within it, world Y is used.
TEST(OcsTest, AxesOfExtrusionsAlongAndAwayFromZ) {
  const struct {
    const char* name;
    Vec3 extrusion, x, y;
  } cases[] = {{"up", {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
               {"down", {0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
               {"along X", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Axes axes = ocs_axes(c.extrusion);
    EXPECT_TRUE(near(axes.x, c.x));
    EXPECT_TRUE(near(axes.y, c.y));
    EXPECT_TRUE(near(axes.z, c.extrusion));
  }
  EXPECT_TRUE(near(ocs_to_world({3, 4, 5}, {0, 0, 1}), Vec3{3, 4, 5}));
  EXPECT_TRUE(near(ocs_to_world({3, 4, 5}, {0, 0, -2}), Vec3{-3, 4, -5}));
  EXPECT_TRUE(near(ocs_to_world({1, 2, 3}, {}), Vec3{1, 2, 3}));
  EXPECT_GT(ocs_axes({0.015, 0, 1}).x.x, 0.99);
  EXPECT_LT(std::abs(ocs_axes({0.016, 0, 1}).x.x), 0.02);
}

TEST(OcsTest, TiltedExtrusionRoundTripsAndKeepsAxesSquare) {
  const Vec3 extrusion{0.02, 0.32, 0.95};
  const Axes axes = ocs_axes(extrusion);
  EXPECT_NEAR(dot(axes.x, axes.y), 0, 1e-12);
  EXPECT_NEAR(length(axes.x), 1, 1e-12);
  EXPECT_NEAR(axes.x.z, 0, 1e-12);
  EXPECT_TRUE(near(axes.z, normalized(extrusion)));
  const Vec3 p{12.5, -3, 7};
  EXPECT_TRUE(near(world_to_ocs(ocs_to_world(p, extrusion), extrusion), p));
  EXPECT_TRUE(near(ocs_to_world_disp(world_to_ocs_disp(p, extrusion), extrusion), p));
}

}  // namespace
}  // namespace cad
