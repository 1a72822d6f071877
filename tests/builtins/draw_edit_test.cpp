// Drawing and editing by hand: LINE, PLINE, CIRCLE in the world and in a UCS, ERASE by last
// object and by pick, MOVE of a dimension with its block, LIST and REDRAW.
#include <cmath>

#include "tests/builtins/builtins_checks.h"
#include "tests/geom/geom_checks.h"

namespace cad::testing {
namespace {

using DrawTest = BuiltinsTest;

TEST_F(DrawTest, LineCloseDrawsBackToTheFirstPoint) {
  ASSERT_EQ(run({T("_line"), P(0, 0), P(4, 0), P(4, 3), T("_close")}), kRtNorm);
  const std::vector<RecordId> lines = live_entities("LINE");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(near(db().record(lines[2]).point(10), {4, 3, 0}));
  EXPECT_TRUE(near(db().record(lines[2]).point(11), {0, 0, 0}));
}

TEST_F(DrawTest, PlineMakesOneLightweightPolylineInTheUcsPlane) {
  ASSERT_EQ(run({T("_ucs"), T("_z"), A(90)}), kRtNorm);
  ASSERT_EQ(run({T("_pline"), P(0, 0), P(2, 0), P(2, 1), T("_c")}), kRtNorm);
  const Record& pl = db().record(last_entity());
  ASSERT_EQ(pl.type, "LWPOLYLINE");
  EXPECT_EQ(pl.integer(90), 3);
  EXPECT_EQ(pl.integer(70), 1);
  std::vector<Vec3> vertices;
  for (const Group& g : pl.groups)
    if (g.code == 10) vertices.push_back(g.pt());
  ASSERT_EQ(vertices.size(), 3u);
  // The UCS X axis is the world's Y axis.
  EXPECT_TRUE(near(vertices[1], {0, 2, 0}));
  EXPECT_TRUE(near(vertices[2], {-1, 2, 0}));
}

TEST_F(DrawTest, CircleByRadiusOrDiameter) {
  ASSERT_EQ(run({T("_circle"), P(1, 2), T("3")}), kRtNorm);
  EXPECT_DOUBLE_EQ(db().record(last_entity()).real(40), 3);
  ASSERT_EQ(run({T("_circle"), P(1, 2), T("_d"), T("3")}), kRtNorm);
  EXPECT_DOUBLE_EQ(db().record(last_entity()).real(40), 1.5);
  EXPECT_TRUE(near(db().record(last_entity()).point(10), {1, 2, 0}));
}

TEST_F(DrawTest, EraseLastAndPicked) {
  ASSERT_EQ(run({T("_line"), P(0, 0), P(10, 0), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(5, 5), T("1")}), kRtNorm);
  ASSERT_EQ(run({T("_erase"), T("_l"), T("")}), kRtNorm);
  EXPECT_TRUE(live_entities("CIRCLE").empty());
  EXPECT_EQ(live_entities("LINE").size(), 1u);
  ASSERT_EQ(run({T("_erase"), P(3, 0), T("")}), kRtNorm);
  EXPECT_TRUE(live_entities("LINE").empty());
}

TEST_F(DrawTest, EraseLeavesLockedLayersAlone) {
  ASSERT_EQ(run({T("_line"), P(0, 0), P(10, 0), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_-layer"), T("_lo"), T("0"), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_erase"), T("_l"), T("")}), kRtNorm);
  EXPECT_EQ(live_entities("LINE").size(), 1u);
}

TEST_F(DrawTest, MoveTakesADimensionWithItsBlock) {
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(4, 0), P(2, 1), T("")}), kRtNorm);
  const RecordId dim = last_entity();
  const Record before = db().record(dim);
  ASSERT_EQ(run({T("_move"), T("_l"), T(""), T("_d"), P(1, 2)}), kRtNorm);
  const Record& after = db().record(dim);
  for (int code : {10, 11, 13, 14})
    EXPECT_TRUE(near(after.point(code), before.point(code) + Vec3{1, 2, 0})) << code;
  size_t block = db().block_index(after.text(2));
  ASSERT_NE(block, Database::npos);
  bool moved_point = false;
  for (RecordId id : db().blocks()[block].entities) {
    const Record& r = db().record(id);
    if (r.type == "POINT") moved_point |= near(r.point(10), {5, 2, 0});
  }
  EXPECT_TRUE(moved_point);
}

TEST_F(DrawTest, MoveByBaseAndSecondPoint) {
  ASSERT_EQ(run({T("_circle"), P(0, 0), T("1")}), kRtNorm);
  EXPECT_EQ(type("move\nl\n\n1,1\n4,5\n"), 0);
  EXPECT_TRUE(near(db().record(last_entity()).point(10), {3, 4, 0}));
}

TEST_F(DrawTest, ListShowsTheGroups) {
  ASSERT_EQ(run({T("_circle"), P(1, 2), T("3")}), kRtNorm);
  host_.transcript().clear();
  ASSERT_EQ(run({T("_list"), T("_l"), T("")}), kRtNorm);
  const std::string& text = host_.transcript().text();
  EXPECT_NE(text.find("CIRCLE  Layer: \"0\""), std::string::npos);
  EXPECT_NE(text.find("40: 3.000"), std::string::npos);
}

TEST_F(DrawTest, RedrawClearsTemporaryVectors) {
  host_.temp_vectors().push_back({{0, 0, 0}, {1, 1, 0}, 1});
  ASSERT_EQ(run({T("_redraw")}), kRtNorm);
  EXPECT_TRUE(host_.temp_vectors().empty());
}

}  // namespace
}  // namespace cad::testing
