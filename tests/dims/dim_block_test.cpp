// The "*D" block of a linear dimension: what it holds for arrows and for ticks, suppressed
// extension lines, DIMSCALE, the text, and what it fills into the dimension's own record.
#include "cad/dims/dim_block.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "cad/dims/drawing_records.h"
#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

// A horizontal dimension from (0,0) to (10,0) with its line through (5,5).
Record horizontal_dimension() {
  Record dim = entity_record("DIMENSION", "DIMS");
  dim.groups.push_back(Group::point(10, {5, 5, 0}));
  dim.groups.push_back(Group::text(1, ""));
  dim.groups.push_back(Group::point(13, {0, 0, 0}));
  dim.groups.push_back(Group::point(14, {10, 0, 0}));
  dim.groups.push_back(Group::real(50, 0));
  return dim;
}

// Plain numbers so that expected positions are easy to read.
DimStyleValues plain_style() {
  DimStyleValues v;
  v.set("DIMEXO", VarValue::real(1));
  v.set("DIMEXE", VarValue::real(2));
  v.set("DIMASZ", VarValue::real(3));
  v.set("DIMTXT", VarValue::real(2));
  v.set("DIMGAP", VarValue::real(0.5));
  v.set("DIMTAD", VarValue::integer(1));
  v.set("DIMCLRD", VarValue::integer(256));
  v.set("DIMCLRE", VarValue::integer(256));
  v.set("DIMCLRT", VarValue::integer(256));
  return v;
}

struct Built {
  Record dim;
  std::vector<Record> entities;

  std::vector<Record> of_type(std::string_view type) const {
    std::vector<Record> out;
    for (const Record& r : entities)
      if (r.type == type) out.push_back(r);
    return out;
  }
};

Built build(Database& db, Record dim, const DimStyleValues& values) {
  size_t block = build_dimension_block(db, dim, values);
  Built out{std::move(dim), {}};
  for (RecordId id : db.blocks()[block].entities) out.entities.push_back(db.record(id));
  return out;
}

// Whether some LINE runs between the two points (either way round).
bool has_line(const std::vector<Record>& lines, Vec3 a, Vec3 b) {
  for (const Record& l : lines) {
    if ((near(l.point(10), a) && near(l.point(11), b)) ||
        (near(l.point(10), b) && near(l.point(11), a)))
      return true;
  }
  return false;
}

// Whether a SOLID arrow's base corners (groups 10 and 11) are a and b, either way round.
bool has_base(const Record& solid, Vec3 a, Vec3 b) {
  return (near(solid.point(10), a) && near(solid.point(11), b)) ||
         (near(solid.point(10), b) && near(solid.point(11), a));
}

TEST(DimensionRecordTest, LocationMovesOntoTheSecondExtensionLine) {
  Database db;
  Built b = build(db, horizontal_dimension(), plain_style());
  EXPECT_TRUE(near(b.dim.point(10), {10, 5, 0}));
  EXPECT_DOUBLE_EQ(b.dim.real(42), 10);
  EXPECT_EQ(b.dim.text(2), "*D1");
  // Text middle: DIMGAP above the line plus half the text height.
  EXPECT_TRUE(near(b.dim.point(11), {5, 5 + 0.5 + 1, 0}));
}

TEST(DimensionRecordTest, RotatedLineMeasuresAlongItsDirection) {
  Database db;
  Record dim = horizontal_dimension();
  const double angle = std::numbers::pi / 6;
  dim.set(Group::real(50, angle));
  dim.set(Group::point(10, {0, 0, 0}));
  Built b = build(db, dim, plain_style());
  const Vec3 d{std::cos(angle), std::sin(angle), 0};
  EXPECT_NEAR(b.dim.real(42), 10 * std::cos(angle), 1e-12);
  EXPECT_TRUE(near(b.dim.point(10), d * (10 * std::cos(angle))));
  const std::vector<Record> texts = b.of_type("MTEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(near(texts[0].point(11), d));
}

TEST(DimensionRecordTest, BlocksAreNumberedAndGetTheirRecords) {
  Database db;
  ensure_table(db, "BLOCK_RECORD");
  Built first = build(db, horizontal_dimension(), plain_style());
  Built second = build(db, horizontal_dimension(), plain_style());
  EXPECT_EQ(first.dim.text(2), "*D1");
  EXPECT_EQ(second.dim.text(2), "*D2");
  EXPECT_NE(db.table_entry("BLOCK_RECORD", "*D2"), kNoRecord);
  const size_t block = db.block_index("*D2");
  ASSERT_NE(block, Database::npos);
  EXPECT_EQ(db.record(db.blocks()[block].begin).integer(70), 1);
}

TEST(DimensionBlockTest, ArrowsBlockHoldsLinesSolidsTextAndDefinitionPoints) {
  Database db;
  Built b = build(db, horizontal_dimension(), plain_style());
  const std::vector<Record> lines = b.of_type("LINE");
  ASSERT_EQ(lines.size(), 3u);
  // Extension lines start DIMEXO off the origins and run DIMEXE past the line.
  EXPECT_TRUE(has_line(lines, {0, 1, 0}, {0, 7, 0}));
  EXPECT_TRUE(has_line(lines, {10, 1, 0}, {10, 7, 0}));
  EXPECT_TRUE(has_line(lines, {0, 5, 0}, {10, 5, 0}));

  const std::vector<Record> solids = b.of_type("SOLID");
  ASSERT_EQ(solids.size(), 2u);
  // The first arrow points at the first extension line: tip there, base DIMASZ inside.
  EXPECT_TRUE(near(solids[0].point(12), {0, 5, 0}));
  EXPECT_TRUE(has_base(solids[0], {3, 5.5, 0}, {3, 4.5, 0}));
  EXPECT_TRUE(near(solids[1].point(12), {10, 5, 0}));
  EXPECT_NEAR(solids[1].point(10).x, 7, 1e-12);

  const std::vector<Record> texts = b.of_type("MTEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text(1), "10");
  EXPECT_EQ(texts[0].integer(71), 8);  // bottom centre, DIMGAP above the line
  EXPECT_TRUE(near(texts[0].point(10), {5, 5.5, 0}));
  EXPECT_DOUBLE_EQ(texts[0].real(40), 2);
  EXPECT_EQ(texts[0].text(8), "DIMS");

  const std::vector<Record> points = b.of_type("POINT");
  ASSERT_EQ(points.size(), 3u);
  EXPECT_TRUE(near(points[0].point(10), {0, 0, 0}));
  EXPECT_TRUE(near(points[1].point(10), {10, 0, 0}));
  EXPECT_TRUE(near(points[2].point(10), {10, 5, 0}));
  for (const Record& p : points) EXPECT_TRUE(iequals(p.text(8), "DEFPOINTS"));
  EXPECT_NE(db.table_entry("LAYER", "DEFPOINTS"), kNoRecord);
}

TEST(DimensionBlockTest, TicksReplaceArrowsAndExtendTheLineByDimdle) {
  Database db;
  DimStyleValues v = plain_style();
  v.set("DIMTSZ", VarValue::real(1));
  v.set("DIMDLE", VarValue::real(0.5));
  Built b = build(db, horizontal_dimension(), v);
  EXPECT_TRUE(b.of_type("SOLID").empty());
  const std::vector<Record> lines = b.of_type("LINE");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(has_line(lines, {-0.5, 5, 0}, {10.5, 5, 0}));
  // Oblique strokes at 45 degrees through where the line meets the extension lines.
  EXPECT_TRUE(has_line(lines, {-0.5, 4.5, 0}, {0.5, 5.5, 0}));
  EXPECT_TRUE(has_line(lines, {9.5, 4.5, 0}, {10.5, 5.5, 0}));
}

TEST(DimensionBlockTest, DimseSuppressesOnlyItsOwnExtensionLine) {
  Database db;
  DimStyleValues v = plain_style();
  v.set("DIMSE1", VarValue::integer(1));
  Built b = build(db, horizontal_dimension(), v);
  const std::vector<Record> lines = b.of_type("LINE");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_FALSE(has_line(lines, {0, 1, 0}, {0, 7, 0}));
  EXPECT_TRUE(has_line(lines, {10, 1, 0}, {10, 7, 0}));
}

TEST(DimensionBlockTest, DimscaleMultipliesEverySize) {
  Database db;
  DimStyleValues v = plain_style();
  v.set("DIMSCALE", VarValue::real(2));
  Built b = build(db, horizontal_dimension(), v);
  EXPECT_TRUE(has_line(b.of_type("LINE"), {0, 2, 0}, {0, 9, 0}));
  const std::vector<Record> solids = b.of_type("SOLID");
  ASSERT_EQ(solids.size(), 2u);
  EXPECT_TRUE(has_base(solids[0], {6, 6, 0}, {6, 4, 0}));
  const std::vector<Record> texts = b.of_type("MTEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_DOUBLE_EQ(texts[0].real(40), 4);
  EXPECT_TRUE(near(b.dim.point(11), {5, 5 + 1 + 2, 0}));
}

TEST(DimensionBlockTest, VerticalTextReadsFromBelowAndSitsLeftOfTheLine) {
  Database db;
  Record dim = horizontal_dimension();
  dim.set(Group::point(14, {0, 10, 0}));
  dim.set(Group::point(10, {-5, 0, 0}));
  dim.set(Group::real(50, std::numbers::pi / 2));
  Built b = build(db, dim, plain_style());
  const std::vector<Record> texts = b.of_type("MTEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(near(texts[0].point(11), {0, 1, 0}));
  EXPECT_TRUE(near(texts[0].point(10), {-5.5, 5, 0}));
  EXPECT_TRUE(near(b.dim.point(10), {-5, 10, 0}));
}

TEST(DimensionTextTest, ModuleCodesPassThroughAsMtextContent) {
  Database db;
  Record dim = horizontal_dimension();
  dim.set(Group::text(1, "12.50{\\A2\\H0.6x5}"));
  Built b = build(db, dim, plain_style());
  ASSERT_EQ(b.of_type("MTEXT").size(), 1u);
  EXPECT_EQ(b.of_type("MTEXT")[0].text(1), "12.50{\\A2\\H0.6x5}");
}

TEST(DimensionTextTest, BlankOverrideDrawsNoText) {
  Database db;
  Record dim = horizontal_dimension();
  dim.set(Group::text(1, " "));
  Built b = build(db, dim, plain_style());
  EXPECT_TRUE(b.of_type("MTEXT").empty());
}

TEST(DimensionBlockTest, ColoursFollowTheDimensionColourVariables) {
  Database db;
  DimStyleValues v = plain_style();
  v.set("DIMCLRD", VarValue::integer(1));
  v.set("DIMCLRT", VarValue::integer(0));
  Built b = build(db, horizontal_dimension(), v);
  for (const Record& s : b.of_type("SOLID")) EXPECT_EQ(s.integer(62, -1), 1);
  EXPECT_EQ(b.of_type("MTEXT")[0].integer(62, -1), 0);
  // Extension lines are by layer: no colour group.
  EXPECT_TRUE(has_line(b.of_type("LINE"), {0, 1, 0}, {0, 7, 0}));
  for (const Record& l : b.of_type("LINE")) {
    if (near(l.point(10), {0, 1, 0})) {
      EXPECT_FALSE(l.has(62));
    }
  }
}

}  // namespace
}  // namespace cad
