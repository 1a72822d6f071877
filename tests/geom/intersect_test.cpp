// Line intersection with the host's rules: infinite lines or segments, nothing for parallel or
// skew lines.
#include "cad/geom/intersect.h"

#include <gtest/gtest.h>

#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

TEST(IntersectLinesTest, CrossingSegmentsMeetWhereTheyCross) {
  const auto p = intersect_lines({0, 0, 0}, {4, 4, 0}, {0, 4, 0}, {4, 0, 0}, true);
  ASSERT_TRUE(p.has_value());
  EXPECT_TRUE(near(*p, Vec3{2, 2, 0}));
}

TEST(IntersectLinesTest, CoplanarLinesInSpaceMeet) {
  // Both lines lie in the plane x = 1, above the XY plane.
  const auto p = intersect_lines({1, 0, 5}, {1, 2, 7}, {1, 0, 9}, {1, 4, 5}, false);
  ASSERT_TRUE(p.has_value());
  EXPECT_TRUE(near(*p, Vec3{1, 2, 7}));
}

TEST(IntersectLinesTest, ParallelAndCollinearLinesHaveNoPoint) {
  EXPECT_FALSE(intersect_lines({0, 0, 0}, {5, 0, 0}, {0, 1, 0}, {5, 1, 0}, false));
  EXPECT_FALSE(intersect_lines({0, 0, 0}, {5, 0, 0}, {2, 0, 0}, {9, 0, 0}, false));
  EXPECT_FALSE(intersect_lines({0, 0, 0}, {5, 0, 0}, {9, 0, 0}, {2, 0, 0}, true));
}

TEST(IntersectLinesTest, SkewLinesHaveNoPoint) {
  EXPECT_FALSE(intersect_lines({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 1}, false));
}

TEST(IntersectLinesTest, IdenticalPointsHaveNoPoint) {
  EXPECT_FALSE(intersect_lines({1, 1, 0}, {1, 1, 0}, {0, 0, 0}, {2, 2, 0}, false));
  EXPECT_FALSE(intersect_lines({0, 0, 0}, {2, 2, 0}, {3, 0, 0}, {3, 0, 0}, false));
}

TEST(IntersectLinesTest, MissingSegmentsMeetOnlyAsInfiniteLines) {
  const Vec3 from1{0, 0, 0};
  const Vec3 to1{1, 0, 0};
  const Vec3 from2{3, -1, 0};
  const Vec3 to2{3, 1, 0};
  const auto lines = intersect_lines(from1, to1, from2, to2, false);
  ASSERT_TRUE(lines.has_value());
  EXPECT_TRUE(near(*lines, Vec3{3, 0, 0}));
  EXPECT_FALSE(intersect_lines(from1, to1, from2, to2, true));
}

TEST(IntersectLinesTest, CutThroughASharedVertexMeetsBothSegments) {
  // The cut's midpoint is the vertex; in floating point the parameters land just past the
  // segments' ends, which must still count.
  const Vec3 cut_from{17.9, 41.7, 0};
  const Vec3 cut_to{-91.9, -36.7, 0};
  const Vec3 vertex{-37, 2.5, 0};
  for (const Vec3 other : {Vec3{-21.2, -38.1, 0}, Vec3{-48.1, -41.7, 0}}) {
    const auto p = intersect_lines(cut_from, cut_to, other, vertex, true);
    ASSERT_TRUE(p.has_value());
    EXPECT_TRUE(near(*p, vertex));
  }
}

TEST(IntersectLinesTest, PointJustPastAnEndIsOffTheSegment) {
  EXPECT_FALSE(intersect_lines({0, 0, 0}, {1, 0, 0}, {1.001, -1, 0}, {1.001, 1, 0}, true));
}

}  // namespace
}  // namespace cad
