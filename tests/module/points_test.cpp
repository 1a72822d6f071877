// Sorting and merging the points of a chain along its direction.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "chain/chain_generation.h"

namespace {

// "x y, x y, ...": points.
std::vector<ChainPoint> points(const std::string& text) {
  std::vector<ChainPoint> out;
  std::istringstream in(text);
  for (double x, y; in >> x >> y; in.ignore(1, ',')) out.push_back({x, y});
  return out;
}

TEST(CleanPointsTest, MergesRunsAndMeasuresTheCrossRange) {
  const struct {
    const char* name;
    int along;
    const char* points;
    const char* kept;
    double minimum;
    double maximum;
  } cases[] = {{"run at one place keeps its last point", 0, "0 5, 0.0005 7, 0.0009 9, 3 1",
                "0.0009 9, 3 1", 1, 9},
               {"cross range counts the first point even when merged", 0, "0 5, 0.0005 7, 3 6",
                "0.0005 7, 3 6", 5, 7},
               {"cross range skips merged inner points", 0, "0 1, 2 50, 2.0005 2, 4 3",
                "0 1, 2.0005 2, 4 3", 1, 3},
               {"tolerance is strict", 0, "0 0, 0.001 0", "0 0, 0.001 0", 0, 0},
               {"just below tolerance", 0, "0 0, 0.00099 0", "0.00099 0", 0, 0},
               {"chained neighbours merge to one", 1, "4 0, 4 0.0008, 4 0.0016", "4 0.0016", 4, 4},
               {"along y", 1, "1 0, -2 0.0002, 8 5", "-2 0.0002, 8 5", -2, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ChainPoint> list = points(c.points);
    double minimum = 0;
    double maximum = 0;
    const int count = clean_points(list.data(), static_cast<int>(list.size()), c.along, maximum,
                                   minimum, 1 - c.along);
    list.resize(count);
    EXPECT_EQ(list, points(c.kept));
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
