// Sorting and merging the points of a chain along its direction.
#include <gtest/gtest.h>

#include <vector>

#include "chain/chain_generation.h"

namespace {

struct CleanCase {
  const char* name;
  std::vector<ChainPoint> points;
  int along;
  std::vector<ChainPoint> kept;
  double minimum;
  double maximum;
};

TEST(CleanPointsTest, MergesRunsAndMeasuresTheCrossRange) {
  const std::vector<CleanCase> cases = {
      {"run at one place keeps its last point",
       {{0.0, 5.0}, {0.0005, 7.0}, {0.0009, 9.0}, {3.0, 1.0}},
       0,
       {{0.0009, 9.0}, {3.0, 1.0}},
       1.0,
       9.0},
      {"cross range counts the first point even when merged",
       {{0.0, 5.0}, {0.0005, 7.0}, {3.0, 6.0}},
       0,
       {{0.0005, 7.0}, {3.0, 6.0}},
       5.0,
       7.0},
      {"cross range skips merged inner points",
       {{0.0, 1.0}, {2.0, 50.0}, {2.0005, 2.0}, {4.0, 3.0}},
       0,
       {{0.0, 1.0}, {2.0005, 2.0}, {4.0, 3.0}},
       1.0,
       3.0},
      {"tolerance is strict", {{0.0, 0.0}, {0.001, 0.0}}, 0, {{0.0, 0.0}, {0.001, 0.0}}, 0, 0},
      {"just below tolerance", {{0.0, 0.0}, {0.00099, 0.0}}, 0, {{0.00099, 0.0}}, 0, 0},
      {"chained neighbours merge to one",
       {{4.0, 0.0}, {4.0, 0.0008}, {4.0, 0.0016}},
       1,
       {{4.0, 0.0016}},
       4.0,
       4.0},
      {"along y",
       {{1.0, 0.0}, {-2.0, 0.0002}, {8.0, 5.0}},
       1,
       {{-2.0, 0.0002}, {8.0, 5.0}},
       -2.0,
       8.0},
  };
  for (CleanCase c : cases) {
    SCOPED_TRACE(c.name);
    double minimum = 0;
    double maximum = 0;
    const int count = clean_points(c.points.data(), static_cast<int>(c.points.size()), c.along,
                                   maximum, minimum, 1 - c.along);
    c.points.resize(count);
    EXPECT_EQ(c.points, c.kept);
    EXPECT_DOUBLE_EQ(minimum, c.minimum);
    EXPECT_DOUBLE_EQ(maximum, c.maximum);
  }
}

TEST(CleanPointsTest, FewPointsStayAsTheyAre) {
  double minimum = 0;
  double maximum = 0;
  ChainPoint one{1.0, 2.0};
  EXPECT_EQ(clean_points(&one, 1, 0, maximum, minimum, 1), 1);
  EXPECT_EQ(clean_points(nullptr, 0, 0, maximum, minimum, 1), 0);
}

TEST(ComparePointsTest, OrderByOneCoordinate) {
  EXPECT_EQ(cmp_x({1.0, 9.0}, {2.0, 0.0}), -1);
  EXPECT_EQ(cmp_x({2.0, 0.0}, {1.0, 9.0}), 1);
  EXPECT_EQ(cmp_x({1.0, 0.0}, {1.0, 9.0}), 0);
  EXPECT_EQ(cmp_y({9.0, 1.0}, {0.0, 2.0}), -1);
  EXPECT_EQ(cmp_y({0.0, 2.0}, {9.0, 2.0}), 0);
}

}  // namespace
