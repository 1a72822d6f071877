// Sorting and merging the points of a chain along its direction.
#include <gtest/gtest.h>

#include <vector>

#include "chain/chain_generation.h"

namespace {

struct Cleaned {
  std::vector<ChainPoint> points;
  double minimum;
  double maximum;
};

Cleaned clean(std::vector<ChainPoint> points, int along, int across) {
  Cleaned result{};
  const int count = clean_points(points.data(), static_cast<int>(points.size()), along,
                                 result.maximum, result.minimum, across);
  points.resize(count);
  result.points = points;
  return result;
}

TEST(CleanPointsTest, RunAtOnePlaceKeepsItsLastPoint) {
  const Cleaned result = clean({{0.0, 5.0}, {0.0005, 7.0}, {0.0009, 9.0}, {3.0, 1.0}}, 0, 1);
  ASSERT_EQ(result.points.size(), 2u);
  EXPECT_EQ(result.points[0], (ChainPoint{0.0009, 9.0}));
  EXPECT_EQ(result.points[1], (ChainPoint{3.0, 1.0}));
}

TEST(CleanPointsTest, CrossRangeCountsTheFirstPointEvenWhenMerged) {
  const Cleaned result = clean({{0.0, 5.0}, {0.0005, 7.0}, {3.0, 6.0}}, 0, 1);
  EXPECT_DOUBLE_EQ(result.minimum, 5.0);
  EXPECT_DOUBLE_EQ(result.maximum, 7.0);
}

TEST(CleanPointsTest, CrossRangeSkipsMergedInnerPoints) {
  const Cleaned result = clean({{0.0, 1.0}, {2.0, 50.0}, {2.0005, 2.0}, {4.0, 3.0}}, 0, 1);
  ASSERT_EQ(result.points.size(), 3u);
  EXPECT_DOUBLE_EQ(result.minimum, 1.0);
  EXPECT_DOUBLE_EQ(result.maximum, 3.0);
}

TEST(CleanPointsTest, ToleranceIsStrict) {
  EXPECT_EQ(clean({{0.0, 0.0}, {0.001, 0.0}}, 0, 1).points.size(), 2u);
  EXPECT_EQ(clean({{0.0, 0.0}, {0.00099, 0.0}}, 0, 1).points.size(), 1u);
}

TEST(CleanPointsTest, MergesChainedNeighboursToOnePoint) {
  const Cleaned result = clean({{4.0, 0.0}, {4.0, 0.0008}, {4.0, 0.0016}}, 1, 0);
  ASSERT_EQ(result.points.size(), 1u);
  EXPECT_EQ(result.points[0], (ChainPoint{4.0, 0.0016}));
  EXPECT_DOUBLE_EQ(result.minimum, 4.0);
  EXPECT_DOUBLE_EQ(result.maximum, 4.0);
}

TEST(CleanPointsTest, WorksAlongY) {
  const Cleaned result = clean({{1.0, 0.0}, {-2.0, 0.0002}, {8.0, 5.0}}, 1, 0);
  ASSERT_EQ(result.points.size(), 2u);
  EXPECT_EQ(result.points[0], (ChainPoint{-2.0, 0.0002}));
  EXPECT_DOUBLE_EQ(result.minimum, -2.0);
  EXPECT_DOUBLE_EQ(result.maximum, 8.0);
}

TEST(CleanPointsTest, FewPointsStayAsTheyAre) {
  EXPECT_EQ(clean({{1.0, 2.0}}, 0, 1).points.size(), 1u);
  EXPECT_EQ(clean({}, 0, 1).points.size(), 0u);
}

TEST(ComparePointsTest, OrderByOneCoordinate) {
  EXPECT_EQ(cmp_x({1.0, 9.0}, {2.0, 0.0}), -1);
  EXPECT_EQ(cmp_x({2.0, 0.0}, {1.0, 9.0}), 1);
  EXPECT_EQ(cmp_x({1.0, 0.0}, {1.0, 9.0}), 0);
  EXPECT_EQ(cmp_y({9.0, 1.0}, {0.0, 2.0}), -1);
  EXPECT_EQ(cmp_y({0.0, 2.0}, {9.0, 1.0}), 1);
  EXPECT_EQ(cmp_y({0.0, 2.0}, {9.0, 2.0}), 0);
}

}  // namespace
