// Entity paths: where each entity type is drawn in the world, through object coordinate systems,
// blocks and the box approximations of text.
#include "cad/shapes/shapes.h"

#include <gtest/gtest.h>

#include <numbers>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cad/dxf/reader.h"
#include "tests/select/group_items.h"
#include "tests/support/case_file.h"
#include "tests/support/drawing.h"
#include "tests/support/files.h"

namespace cad {
namespace {

using testing::box_near;
using testing::Drawing;
using testing::integer;
using testing::point;
using testing::real;
using testing::text;

constexpr double kPi = std::numbers::pi;

// Whether any segment the paths draw is an arc: an open path draws no segment after its last point.
bool has_arcs(const std::vector<Path>& paths) {
  for (const Path& path : paths) {
    for (size_t k = 0; k < path.bulges.size(); ++k) {
      if (path.bulges[k] != 0 && (path.closed || k + 1 < path.points.size())) return true;
    }
  }
  return false;
}

TEST(CurveShapesTest, TiltedCircleIsDividedIntoSegments) {
  Drawing d;
  // Extrusion along X: the circle stands in the world YZ plane and shows as a line in XY.
  const RecordId id = d.circle({0, 0, 0}, 2, {1, 0, 0});
  const std::vector<Path> paths = entity_paths(d.db, id);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_FALSE(has_arcs(paths));
  EXPECT_GT(paths[0].points.size(), 8u);
  EXPECT_TRUE(box_near(entity_box(d.db, id), {0, -2}, {0, 2}));
}

TEST(PolylineShapesTest, OldStylePolylineReadsItsVerticesUpToSeqend) {
  Drawing d;
  const RecordId id = d.add("POLYLINE", {integer(66, 1), point(10, {0, 0, 2}), integer(70, 1)});
  d.add("VERTEX", {point(10, {0, 0, 0}), real(42, -1)});
  d.add("VERTEX", {point(10, {10, 0, 0})});
  d.add("VERTEX", {point(10, {10, 10, 0})});
  d.add("SEQEND", {});
  d.add("VERTEX", {point(10, {50, 50, 0})});  // not this polyline's
  const std::vector<Path> paths = entity_paths(d.db, id);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_TRUE(paths[0].closed);
  ASSERT_EQ(paths[0].points.size(), 3u);
  EXPECT_EQ(paths[0].points[0].z, 2);  // the elevation
  // The clockwise half circle over the first segment rises to y = 5.
  EXPECT_TRUE(box_near(entity_box(d.db, id), {0, 0}, {10, 10}));
  EXPECT_TRUE(
      box_near(paths_box({Path{{paths[0].points[0], paths[0].points[1]}, {paths[0].bulges[0], 0}}}),
               {0, 0}, {10, 5}));
}

TEST(PolylineShapesTest, PolyfaceMeshGivesItsFaces) {
  Drawing d;
  const RecordId id =
      d.add("POLYLINE", {integer(66, 1), integer(70, 64), integer(71, 4), integer(72, 1)});
  for (Vec3 p : {Vec3{0, 0, 0}, Vec3{4, 0, 0}, Vec3{4, 3, 1}, Vec3{0, 3, 1}})
    d.add("VERTEX", {point(10, p), integer(70, 192)});
  d.add("VERTEX", {point(10, {}), integer(70, 128), integer(71, 1), integer(72, -2), integer(73, 3),
                   integer(74, 4)});
  d.add("SEQEND", {});
  const std::vector<Path> paths = entity_paths(d.db, id);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0].points.size(), 4u);
  EXPECT_TRUE(box_near(paths_box(paths), {0, 0}, {4, 3}));
}

TEST(AreaShapesTest, SolidOutlineCrossesItsLastTwoPoints) {
  Drawing d;
  const RecordId id = d.add("SOLID", {point(10, {0, 0, 0}), point(11, {1, 0, 0}),
                                      point(12, {0, 1, 0}), point(13, {1, 1, 0})});
  const std::vector<Path> paths = entity_paths(d.db, id);
  ASSERT_EQ(paths.size(), 1u);
  const std::vector<Vec3> expected = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  EXPECT_EQ(paths[0].points, expected);
}

TEST(AreaShapesTest, HatchBoundariesOfPolylinesAndEdges) {
  Drawing d;
  const RecordId id = d.add(
      "HATCH", {point(10, {0, 0, 0}), point(210, {0, 0, 1}), text(2, "SOLID"), integer(70, 1),
                integer(71, 0), integer(91, 2),
                // A circle as two half-circle bulges.
                integer(92, 2), integer(72, 1), integer(73, 1), integer(93, 2),
                Group::point(10, {0, 0, 0}, 2), real(42, 1), Group::point(10, {10, 0, 0}, 2),
                real(42, 1), integer(97, 0),
                // A line and a half circle back over it.
                integer(92, 1), integer(93, 2), integer(72, 1), Group::point(10, {20, 0, 0}, 2),
                Group::point(11, {30, 0, 0}, 2), integer(72, 2), Group::point(10, {25, 0, 0}, 2),
                real(40, 5), real(50, 0), real(51, kPi), integer(73, 1), integer(97, 1),
                text(330, "1F"), integer(75, 0), integer(76, 1), integer(98, 0)});
  const std::vector<Path> paths = entity_paths(d.db, id);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_TRUE(box_near(path_box(paths[0]), {0, -5}, {10, 5}));
  EXPECT_TRUE(box_near(path_box(paths[1]), {20, 0}, {30, 5}));
  EXPECT_TRUE(paths[1].closed);
}

class ShapesTest : public ::testing::Test {
 protected:
  ShapesTest() {
    // A line from the base point one unit along X.
    const size_t b = drawing.block("B", {1, 0, 0});
    drawing.db.add_block_entity(b, Record{"LINE", {point(10, {1, 0, 0}), point(11, {2, 0, 0})}});
    const size_t round = drawing.block("ROUND");
    drawing.db.add_block_entity(round, Record{"CIRCLE", {point(10, {0, 0, 0}), real(40, 1)}});
  }

  RecordId insert(const std::string& name, Vec3 at, std::vector<Group> more = {}) {
    std::vector<Group> groups = {text(2, name), point(10, at)};
    groups.insert(groups.end(), more.begin(), more.end());
    return drawing.add("INSERT", std::move(groups));
  }

  Drawing drawing;
};

// The entities of box_cases.txt, each with the box of what it draws, in the drawing of the blocks.
TEST_F(ShapesTest, BoxesFollowArcsBulgesMirroredOcsTextFitPointsAndInserts) {
  Drawing& d = drawing;
  for (const testing::CaseLine& c : testing::read_cases("shapes/box_cases.txt")) {
    SCOPED_TRACE(c.where);
    ASSERT_GE(c.fields.size(), 5u);
    const RecordId id = d.add(c.fields[1], testing::items(c.fields[2]));
    const Vec3 min = testing::case_point(c.fields[3]);
    const Vec3 max = testing::case_point(c.fields[4]);
    EXPECT_TRUE(box_near(entity_box(d.db, id), {min.x, min.y}, {max.x, max.y}, 1e-6));
    const std::set<std::string> marks(c.fields.begin() + 5, c.fields.end());
    EXPECT_EQ(has_arcs(entity_paths(d.db, id)), marks.contains("arcs"));
    const std::optional<Box2> quick = entity_quick_box(d.db.record(id));
    ASSERT_EQ(quick.has_value(), marks.contains("quick"));
    if (quick) {
      EXPECT_TRUE(box_near(*quick, {min.x, min.y}, {max.x, max.y}, 1e-6));
    }
  }
}

TEST_F(ShapesTest, NestedInsertsAndAttributes) {
  const size_t outer = drawing.block("OUTER");
  drawing.db.add_block_entity(outer, Record{"INSERT", {text(2, "B"), point(10, {0, 0, 0})}});
  const RecordId id = insert("OUTER", {100, 0, 0}, {integer(66, 1)});
  drawing.add("ATTRIB",
              {point(10, {100, 5, 0}), real(40, 1), text(1, "X"), text(2, "TAG"), integer(70, 0)});
  drawing.add("SEQEND", {});
  // Not the insert's: its attributes end at its SEQEND.
  drawing.add("TEXT", {point(10, {300, 0, 0}), real(40, 1), text(1, "Y")});
  EXPECT_EQ(entity_paths(drawing.db, id).size(), 2u);
  EXPECT_TRUE(box_near(entity_box(drawing.db, id), {100, 0}, {101, 6}));
}

TEST_F(ShapesTest, BlockInsertingItselfStops) {
  const size_t loop = drawing.block("LOOP");
  drawing.db.add_block_entity(loop, Record{"LINE", {point(10, {0, 0, 0}), point(11, {1, 0, 0})}});
  drawing.db.add_block_entity(loop, Record{"INSERT", {text(2, "LOOP"), point(10, {5, 0, 0})}});
  const RecordId id = insert("LOOP", {0, 0, 0});
  EXPECT_EQ(entity_paths(drawing.db, id).size(), 1u);
}

TEST_F(ShapesTest, MinsertRepeatsTheBlock) {
  const RecordId id =
      insert("B", {0, 0, 0}, {integer(70, 3), integer(71, 2), real(44, 5), real(45, 2)});
  EXPECT_EQ(entity_paths(drawing.db, id).size(), 6u);
  EXPECT_TRUE(box_near(entity_box(drawing.db, id), {0, 0}, {11, 2}));
}

TEST_F(ShapesTest, DimensionDrawsItsBlockOrItsLines) {
  const size_t block = drawing.block("*D1");
  drawing.db.add_block_entity(block, Record{"LINE", {point(10, {0, 5, 0}), point(11, {10, 5, 0})}});
  const RecordId drawn =
      drawing.add("DIMENSION", {text(2, "*D1"), point(10, {0, 5, 0}), integer(70, 32),
                                point(13, {0, 0, 0}), point(14, {10, 0, 0}), real(50, 0)});
  const RecordId bare =
      drawing.add("DIMENSION", {text(2, "*D9"), point(10, {0, 5, 0}), integer(70, 32),
                                point(13, {0, 0, 0}), point(14, {10, 2, 0}), real(50, 0)});
  EXPECT_EQ(entity_paths(drawing.db, drawn).size(), 1u);
  // Without its block: both extension lines and the dimension line.
  EXPECT_EQ(entity_paths(drawing.db, bare).size(), 3u);
  EXPECT_TRUE(box_near(entity_box(drawing.db, bare), {0, 0}, {10, 5}));
}

// The box of a record alone (box_cases.txt) is none for an endless line.
TEST(QuickBoxTest, NoneForAnEndlessLine) {
  Drawing d;
  const RecordId far = d.line({0, 0, 0}, {std::numeric_limits<double>::infinity(), 0, 0});
  EXPECT_FALSE(entity_quick_box(d.db.record(far)).has_value());
}

// Scans pass over entities by that box: on real drawings it holds all each one draws.
TEST(QuickBoxTest, HoldsWhatEveryLineAndPolylineOfTheRealDrawingsDraws) {
  size_t boxed = 0;
  for (const auto& file : testing::shared_drawings({"dxf", "dxf-extra", "dxf-more"})) {
    const ReadResult read = read_dxf_file(file.string());
    ASSERT_TRUE(read.db) << read.error;
    for (RecordId id : read.db->entities()) {
      const std::optional<Box2> quick = entity_quick_box(read.db->record(id));
      if (!quick) continue;
      ++boxed;
      const Box2 drawn = entity_box(*read.db, id);
      EXPECT_TRUE(drawn.empty() || quick->contains(drawn))
          << file.filename() << " " << read.db->record(id).handle();
    }
  }
  EXPECT_GT(boxed, 10000u);
}

TEST(OtherShapesTest, MlineOffsetsFromItsStyle) {
  Drawing d;
  d.db.add_object(
      Record{"MLINESTYLE", {text(2, "TWIN"), integer(71, 2), real(49, 0.5), real(49, -0.5)}});
  const RecordId id =
      d.add("MLINE",
            {text(2, "TWIN"), real(40, 2), integer(71, 1), integer(72, 2), integer(73, 2),
             point(10, {0, 0, 0}), point(11, {0, 0, 0}), point(12, {1, 0, 0}), point(13, {0, 1, 0}),
             point(11, {10, 0, 0}), point(12, {1, 0, 0}), point(13, {0, 1, 0})});
  const std::vector<Path> paths = entity_paths(d.db, id);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_TRUE(box_near(path_box(paths[0]), {0, 1}, {10, 1}));
  EXPECT_TRUE(box_near(path_box(paths[1]), {0, -1}, {10, -1}));
}

TEST(PathTest, DistanceCrossingAndInside) {
  // A square from (0,0) to (10,10) whose top edge bulges up to y = 15.
  const Path path{{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, {0, 0, 1, 0}, true};
  EXPECT_NEAR(path_distance(path, {5, 17}), 2, 1e-9);
  EXPECT_NEAR(path_distance(path, {-3, 5}), 3, 1e-9);
  EXPECT_TRUE(path_crosses_segment(path, {5, 12}, {5, 20}));
  EXPECT_FALSE(path_crosses_segment(path, {5, 11}, {5, 14}));
  EXPECT_TRUE(path_meets_box(path, Box2({4, 14}, {6, 16})));
  EXPECT_FALSE(path_meets_box(path, Box2({2, 2}, {8, 8})));
  EXPECT_TRUE(path_encloses(path, {5, 5}));
  EXPECT_FALSE(path_encloses(path, {11, 5}));
}

}  // namespace
}  // namespace cad
