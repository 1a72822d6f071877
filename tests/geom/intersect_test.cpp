// Line intersection with the host's rules: infinite lines or segments, nothing for parallel or
// skew lines.
#include "cad/geom/intersect.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>

#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

// Crossing segments and coplanar lines in space meet; parallel, collinear, skew and degenerate
// lines do not. Segments that miss meet only as infinite lines, and a point just past an end is
// off the segment. A cut through a shared vertex meets both segments, though in floating point
// the parameters land just past their ends.
TEST(IntersectLinesTest, LinesAndSegmentsMeetByTheHostsRules) {
  const Vec3 cut_from{17.9, 41.7, 0};
  const Vec3 cut_to{-91.9, -36.7, 0};
  const Vec3 vertex{-37, 2.5, 0};
  const struct {
    Vec3 from1, to1, from2, to2;
    bool segments;
    std::optional<Vec3> meet;
  } cases[] = {
      {{0, 0, 0}, {4, 4, 0}, {0, 4, 0}, {4, 0, 0}, true, Vec3{2, 2, 0}},
      {{1, 0, 5}, {1, 2, 7}, {1, 0, 9}, {1, 4, 5}, false, Vec3{1, 2, 7}},
      {{0, 0, 0}, {5, 0, 0}, {0, 1, 0}, {5, 1, 0}, false, std::nullopt},
      {{0, 0, 0}, {5, 0, 0}, {2, 0, 0}, {9, 0, 0}, false, std::nullopt},
      {{0, 0, 0}, {5, 0, 0}, {9, 0, 0}, {2, 0, 0}, true, std::nullopt},
      {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 1}, false, std::nullopt},
      {{1, 1, 0}, {1, 1, 0}, {0, 0, 0}, {2, 2, 0}, false, std::nullopt},
      {{0, 0, 0}, {2, 2, 0}, {3, 0, 0}, {3, 0, 0}, false, std::nullopt},
      {{0, 0, 0}, {1, 0, 0}, {3, -1, 0}, {3, 1, 0}, false, Vec3{3, 0, 0}},
      {{0, 0, 0}, {1, 0, 0}, {3, -1, 0}, {3, 1, 0}, true, std::nullopt},
      {{0, 0, 0}, {1, 0, 0}, {1.001, -1, 0}, {1.001, 1, 0}, true, std::nullopt},
      {cut_from, cut_to, {-21.2, -38.1, 0}, vertex, true, vertex},
      {cut_from, cut_to, {-48.1, -41.7, 0}, vertex, true, vertex},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    const std::optional<Vec3> p = intersect_lines(c.from1, c.to1, c.from2, c.to2, c.segments);
    ASSERT_EQ(p.has_value(), c.meet.has_value()) << k;
    if (p) {
      EXPECT_TRUE(near(*p, *c.meet)) << k;
    }
  }
}

}  // namespace
}  // namespace cad
