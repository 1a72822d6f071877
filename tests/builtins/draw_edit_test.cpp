// Drawing and editing by hand: LINE, PLINE, CIRCLE in the world and in a UCS, ERASE by last
// object and by pick, MOVE of a dimension with its block, ROTATE, SCALE, MIRROR, COPY and STRETCH,
// LIST and REDRAW.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "cad/builtins/command_support.h"
#include "tests/geom/geom_checks.h"
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

using DrawTest = HostFixture;

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

TEST_F(DrawTest, ListShowsALineInTheUcsWithItsLookWhereNotByLayer) {
  ASSERT_EQ(run({T("_line"), P(1, 2), P(4, 6), T("")}), kRtNorm);
  Record line = db().record(last_entity());
  line.groups.push_back(Group::integer(62, 1));
  line.groups.push_back(Group::text(6, "DASHED"));
  db().replace(last_entity(), line);
  host_.set_ucs(Ucs{{1, 0, 0}});
  host_.transcript().clear();
  ASSERT_EQ(run({T("_list"), T("_l"), T("")}), kRtNorm);
  const std::string& text = host_.transcript().text();
  for (const std::string& expected :
       {std::string("                  LINE      Layer: \"0\"\n"),
        std::string("\n                            Space: Model space\n"),
        std::string("Color: 1 (red)    Linetype: \"DASHED\"\n"),
        "Handle = " + handle_text(line.handle()) + "\n",
        std::string("from point, X=    0.000  Y=    2.000  Z=    0.000\n"),
        std::string("to point, X=    3.000  Y=    6.000  Z=    0.000\n"),
        std::string("Length = 5.000,  Angle in XY Plane = 53\n")})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin\n" << text;
}

TEST_F(DrawTest, ListShowsADimensionsMeasurementTextStyleAndApplications) {
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(4, 0), P(2, 1), T("x<>m")}), kRtNorm);
  Record dim = db().record(last_entity());
  dim.set_xdata("CHAIN7", {Group::text(1000, "QRM")});
  db().replace(last_entity(), dim);
  host_.transcript().clear();
  ASSERT_EQ(run({T("_list"), T("_l"), T("")}), kRtNorm);
  const std::string& text = host_.transcript().text();
  for (const char* expected :
       {"type: horizontal\n", "1st extension defining point, X=    0.000  Y=    0.000",
        "2nd extension defining point, X=    4.000  Y=    0.000",
        "dimension line defining point, X=    4.000  Y=    1.000", "measurement: 4.000\n",
        "text override: \"x<>m\"\n", "dimension style: \"STANDARD\"\n", "extended data: CHAIN7"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin\n" << text;
}

// ROTATE, SCALE and MIRROR carry a line, a circle and an arc: points, radii and angles.
struct CarryCase {
  const char* name;
  std::vector<Reply> command;
  Vec3 line_start, line_end, center;
  double radius;
  double arc_start, arc_end;  // degrees
};

CarryCase Carry(const char* name, std::vector<Reply> command, Vec3 line_start, Vec3 line_end,
                Vec3 center, double radius, double arc_start, double arc_end) {
  return {name, std::move(command), line_start, line_end, center, radius, arc_start, arc_end};
}

class CarryTest : public HostFixture, public ::testing::WithParamInterface<CarryCase> {};

TEST_P(CarryTest, PointsAnglesAndLengthsGoWithTheMap) {
  ASSERT_EQ(run({T("_line"), P(1, 0), P(3, 0), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(2, 0), T("1")}), kRtNorm);
  Record arc = model_entity(db(), "ARC");
  arc.groups.push_back(Group::point(10, {0, 0, 0}));
  arc.groups.push_back(Group::real(40, 2));
  arc.groups.push_back(Group::real(50, 0));
  arc.groups.push_back(Group::real(51, std::numbers::pi / 2));
  db().add_entity(arc);
  ASSERT_EQ(run(GetParam().command), kRtNorm) << host_.transcript().text();
  const CarryCase& c = GetParam();
  const Record& line = db().record(live_entities("LINE").at(0));
  EXPECT_TRUE(near(line.point(10), c.line_start));
  EXPECT_TRUE(near(line.point(11), c.line_end));
  const Record& circle = db().record(live_entities("CIRCLE").at(0));
  EXPECT_TRUE(near(circle.point(10), c.center));
  EXPECT_NEAR(circle.real(40), c.radius, 1e-12);
  const Record& turned = db().record(live_entities("ARC").at(0));
  EXPECT_NEAR(turned.real(40), 2 * c.radius, 1e-12);
  EXPECT_NEAR(turned.real(50) * 180 / std::numbers::pi, c.arc_start, 1e-9);
  EXPECT_NEAR(turned.real(51) * 180 / std::numbers::pi, c.arc_end, 1e-9);
}

// Mirrored in the Y axis, the arc from 0 to 90 degrees runs from 90 to 180.
INSTANTIATE_TEST_SUITE_P(
    Edits, CarryTest,
    ::testing::Values(Carry("Rotate", {T("_rotate"), T("_all"), T(""), P(0, 0), T("90")}, {0, 1, 0},
                            {0, 3, 0}, {0, 2, 0}, 1, 90, 180),
                      Carry("RotateByReference",
                            {T("_rotate"), T("_all"), T(""), P(0, 0), T("_r"), T("90"), T("180")},
                            {0, 1, 0}, {0, 3, 0}, {0, 2, 0}, 1, 90, 180),
                      Carry("Scale", {T("_scale"), T("_all"), T(""), P(0, 0), T("2")}, {2, 0, 0},
                            {6, 0, 0}, {4, 0, 0}, 2, 0, 90),
                      Carry("ScaleByReference",
                            {T("_scale"), T("_all"), T(""), P(1, 0), T("_r"), T("2"), T("1")},
                            {1, 0, 0}, {2, 0, 0}, {1.5, 0, 0}, 0.5, 0, 90),
                      Carry("MirrorErasingTheSource",
                            {T("_mirror"), T("_all"), T(""), P(0, 0), P(0, 1), T("_y")}, {-1, 0, 0},
                            {-3, 0, 0}, {-2, 0, 0}, 1, 90, 180)),
    [](const ::testing::TestParamInfo<CarryCase>& info) { return info.param.name; });

TEST_F(DrawTest, MirrorCopiesKeepTextReadableUnlessMirrtextIsOne) {
  Record text = model_entity(db(), "TEXT");
  text.groups.push_back(Group::point(10, {1, 0, 0}));
  text.groups.push_back(Group::real(40, 0.5));
  text.groups.push_back(Group::text(1, "AB"));
  const RecordId source = db().add_entity(text);
  ASSERT_EQ(run({T("_mirror"), T("_l"), T(""), P(0, 0), P(0, 1), T("")}), kRtNorm);
  ASSERT_EQ(live_entities("TEXT").size(), 2u);
  EXPECT_TRUE(near(db().record(source).point(10), {1, 0, 0})) << "the source stays";
  const Record& readable = db().record(last_entity());
  EXPECT_TRUE(near(readable.point(10), {-1, 0, 0}));
  EXPECT_NEAR(readable.real(50), 0, 1e-12);
  EXPECT_EQ(readable.integer(71), 0);

  ASSERT_EQ(run({T("_setvar"), T("MIRRTEXT"), T("1")}), kRtNorm);
  ASSERT_EQ(run({T("_mirror"), entity(source), T(""), P(0, 0), P(0, 1), T("_n")}), kRtNorm);
  // Backwards, it runs to the left of its start point as the mirror image does.
  const Record& mirrored = db().record(last_entity());
  EXPECT_TRUE(near(mirrored.point(10), {-1, 0, 0}));
  EXPECT_NEAR(mirrored.real(50), 0, 1e-12);
  EXPECT_EQ(mirrored.integer(71), 2);
}

TEST_F(DrawTest, CopiesKeepTheirExtendedDataAndADimensionGetsABlockOfItsOwn) {
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(4, 0), P(2, 1), T("")}), kRtNorm);
  const RecordId original = last_entity();
  Record dim = db().record(original);
  dim.set_xdata("CHAIN1", {Group::text(1000, "QRM"), Group::point(1011, {1, 1, 0})});
  db().replace(original, dim);
  ASSERT_EQ(run({T("_copy"), T("_l"), T(""), P(0, 0), P(0, 10), P(0, 20), T("")}), kRtNorm);
  const std::vector<RecordId> dims = live_entities("DIMENSION");
  ASSERT_EQ(dims.size(), 3u);
  EXPECT_EQ(db().record(original), dim);
  std::vector<std::string> blocks{std::string(dim.text(2))};
  for (size_t k = 1; k < 3; ++k) {
    const Record& copy = db().record(dims[k]);
    const double dy = 10.0 * static_cast<double>(k);
    EXPECT_NE(copy.handle(), dim.handle());
    EXPECT_TRUE(near(copy.point(13), {0, dy, 0}));
    const std::vector<Group> xdata = copy.xdata("CHAIN1");
    ASSERT_EQ(xdata.size(), 2u);
    EXPECT_EQ(xdata[0].s(), "QRM");
    EXPECT_TRUE(near(xdata[1].pt(), {1, 1 + dy, 0})) << "a world position moves with its object";
    const size_t block = db().block_index(copy.text(2));
    ASSERT_NE(block, Database::npos);
    EXPECT_EQ(std::find(blocks.begin(), blocks.end(), copy.text(2)), blocks.end());
    blocks.emplace_back(copy.text(2));
    bool moved_point = false;
    for (RecordId id : db().blocks()[block].entities)
      moved_point |= db().record(id).type == "POINT" && near(db().record(id).point(10), {0, dy, 0});
    EXPECT_TRUE(moved_point);
  }
}

TEST_F(DrawTest, TurnedOrScaledDimensionIsDrawnAnewAndKeepsItsText) {
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(4, 0), P(2, 1), T("x<>")}), kRtNorm);
  const RecordId dim = last_entity();
  const std::string first_block(db().record(dim).text(2));
  ASSERT_EQ(run({T("_scale"), T("_l"), T(""), P(0, 0), T("2")}), kRtNorm);
  EXPECT_NEAR(db().record(dim).real(42), 8, 1e-12);
  EXPECT_EQ(db().record(dim).text(1), "x<>");
  EXPECT_NE(db().record(dim).text(2), first_block);
  EXPECT_EQ(db().block_index(first_block), Database::npos) << "the old block is gone";
  ASSERT_EQ(run({T("_rotate"), T("_l"), T(""), P(0, 0), T("90")}), kRtNorm);
  const Record& turned = db().record(dim);
  EXPECT_TRUE(near(turned.point(14), {0, 8, 0}));
  EXPECT_NEAR(turned.real(50), std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(turned.real(42), 8, 1e-12);
}

TEST_F(DrawTest, StretchMovesWhatLiesInTheCrossingWindowAndPickedObjectsWhole) {
  ASSERT_EQ(run({T("_line"), P(0, 0), P(10, 0), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_pline"), P(0, 5), P(10, 5), P(10, 8), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, -3), P(10, -3), P(5, -5), T("T")}), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(10, 10), T("1")}), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(30, 0), T("1")}), kRtNorm);
  ASSERT_EQ(
      run({T("_stretch"), T("_c"), P(9, -10), P(11.5, 12), P(31, 0), T(""), P(0, 0), P(2, 0)}),
      kRtNorm);
  const Record& line = db().record(live_entities("LINE").at(0));
  EXPECT_TRUE(near(line.point(10), {0, 0, 0}));
  EXPECT_TRUE(near(line.point(11), {12, 0, 0}));
  std::vector<Vec3> vertices;
  for (const Group& g : db().record(live_entities("LWPOLYLINE").at(0)).groups)
    if (g.code == 10) vertices.push_back(g.pt());
  ASSERT_EQ(vertices.size(), 3u);
  EXPECT_TRUE(near(vertices[0], {0, 5, 0}));
  EXPECT_TRUE(near(vertices[1], {12, 5, 0}));
  EXPECT_TRUE(near(vertices[2], {12, 8, 0}));
  const Record& dim = db().record(live_entities("DIMENSION").at(0));
  EXPECT_TRUE(near(dim.point(13), {0, -3, 0}));
  EXPECT_TRUE(near(dim.point(14), {12, -3, 0}));
  EXPECT_NEAR(dim.real(42), 12, 1e-12) << "measured again";
  EXPECT_EQ(dim.text(1), "T");
  const std::vector<RecordId> circles = live_entities("CIRCLE");
  EXPECT_TRUE(near(db().record(circles.at(0)).point(10), {12, 10, 0})) << "its centre lay inside";
  EXPECT_TRUE(near(db().record(circles.at(1)).point(10), {32, 0, 0})) << "picked: moved whole";
}

TEST_F(DrawTest, StretchByCrossingPolygon) {
  ASSERT_EQ(run({T("_line"), P(0, 0), P(10, 0), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_stretch"), T("_cp"), P(9, -1), P(11, -1), P(11, 1), P(9, 1), T(""), T(""),
                 T("_d"), P(0, 3)}),
            kRtNorm);
  const Record& line = db().record(live_entities("LINE").at(0));
  EXPECT_TRUE(near(line.point(10), {0, 0, 0}));
  EXPECT_TRUE(near(line.point(11), {10, 3, 0}));
}

TEST_F(DrawTest, RedrawClearsTemporaryVectors) {
  host_.temp_vectors().push_back({{0, 0, 0}, {1, 1, 0}, 1});
  ASSERT_EQ(run({T("_redraw")}), kRtNorm);
  EXPECT_TRUE(host_.temp_vectors().empty());
}

}  // namespace
}  // namespace cad::testing
