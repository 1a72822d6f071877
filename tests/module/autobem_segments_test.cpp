// The geometry under AutoBem: entities as vertex lists, their crossings with the cut line in
// the order they are found.
#include "chain/chain_request.h"
#include "commands/entity_segments.h"
#include "frame/rb_tools.h"
#include "tests/support/chain_fixture.h"

namespace {

using Points = std::vector<std::array<double, 3>>;

Points points_of(const resbuf* list) {
  Points out;
  for (; list != nullptr; list = list->rbnext)
    out.push_back({list->resval.rpoint[X], list->resval.rpoint[Y], list->resval.rpoint[Z]});
  return out;
}

RbList point_list(const Points& points) {
  RbList list;
  for (const std::array<double, 3>& p : points)
    list.reset(rb_append(list.release(), acutBuildList(RT3DPOINT, p.data(), RTNONE)));
  return list;
}

class EntitySegmentsTest : public ModuleHost {
 protected:
  // Makes the records one after another and gives the vertex list of the entity made.
  Points vertices_of(const std::vector<resbuf*>& records) {
    Points result;
    run([&] {
      for (resbuf* record : records) {
        EXPECT_EQ(acdbEntMake(record), RTNORM);
        acutRelRb(record);
      }
      ads_name last;
      ASSERT_EQ(acdbEntLast(last), RTNORM);
      RbList list = entity_points(last);
      result = points_of(list.get());
    });
    return result;
  }
};

TEST_F(EntitySegmentsTest, ClosedFiguresRepeatTheirFirstVertex) {
  const ads_point a = {0, 0, 0};
  const ads_point b = {4, 0, 0};
  const ads_point c = {4, 3, 0};
  const ads_point d = {0, 3, 0};
  EXPECT_EQ(vertices_of({acutBuildList(RTDXF0, L"LWPOLYLINE", 90, 4, 70, 1, 38, 2.0, 10, a, 10, b,
                                       10, c, 10, d, RTNONE)}),
            (Points{{0, 0, 2}, {4, 0, 2}, {4, 3, 2}, {0, 3, 2}, {0, 0, 2}}));
  EXPECT_EQ(
      vertices_of({acutBuildList(RTDXF0, L"MLINE", 71, 2, 10, a, 11, a, 11, b, 11, c, RTNONE)}),
      (Points{{0, 0, 0}, {4, 0, 0}, {4, 3, 0}, {0, 0, 0}}));
}

TEST_F(EntitySegmentsTest, ThreeDimensionalPolylineKeepsItsWorldPoints) {
  const ads_point down = {0, 0, -1};
  const ads_point a = {1, 1, 5};
  const ads_point b = {2, 1, 7};
  EXPECT_EQ(vertices_of({acutBuildList(RTDXF0, L"POLYLINE", 66, 1, 70, 8, 210, down, RTNONE),
                         acutBuildList(RTDXF0, L"VERTEX", 10, a, 70, 32, RTNONE),
                         acutBuildList(RTDXF0, L"VERTEX", 10, b, 70, 32, RTNONE),
                         acutBuildList(RTDXF0, L"SEQEND", RTNONE)}),
            (Points{{1, 1, 5}, {2, 1, 7}}));
}

// Each entity segment meets the cut segments in order; every crossing raises the counter.
TEST_F(EntitySegmentsTest, CrossingsComeByEntitySegmentThenCutSegment) {
  run([] {
    ChainRequest.point_count = 1;
    const RbList cut = point_list({{0, 1, 0}, {10, 1, 0}, {10, 3, 0}, {0, 3, 0}});
    const RbList entity = point_list({{2, 0, 0}, {2, 4, 0}, {8, 4, 0}, {8, 0, 0}});
    RbList crossings = intersect_lists(cut.get(), entity.get(), RbList());
    ASSERT_TRUE(crossings);
    EXPECT_EQ(points_of(crossings.get()->rbnext),
              (Points{{2, 1, 0}, {2, 3, 0}, {8, 1, 0}, {8, 3, 0}}));
    EXPECT_EQ(ChainRequest.point_count, 5);
    // A second entity's crossings follow.
    const RbList other = point_list({{5, 0, 0}, {5, 2, 0}});
    crossings = intersect_lists(cut.get(), other.get(), std::move(crossings));
    EXPECT_EQ(points_of(crossings.get()).size(), 6u);
    EXPECT_EQ(ChainRequest.point_count, 6);
  });
}

}  // namespace
