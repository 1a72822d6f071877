// The "*D" block of a linear dimension: one table of the rules the dimension variables make
// (each case a rule of docs/dimensions.md: every line, every arrowhead, where the text sits and
// how it turns), and what the block fills into the dimension's own record.
#include "cad/dims/dim_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "cad/base/text.h"
#include "cad/dims/drawing_records.h"
#include "cad/render/svg.h"
#include "cad/render/text_codes.h"
#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

constexpr double kPi = std::numbers::pi;
// Every case shows the text "10"; this is how wide it is at height 1.
const double kW = text_advance("10");

// What a case changes before it draws: a variable over the plain style (an integer, a real or a
// text), groups of the DIMENSION, or the fixed height of the text style.
struct Change {
  const char* var = nullptr;
  VarValue value = {};
  std::vector<Group> groups = {};
  double style_height = 0;
};
Change I(const char* name, int64_t v) { return {name, VarValue::integer(v)}; }
Change R(const char* name, double v) { return {name, VarValue::real(v)}; }
Change T(const char* name, const char* v) { return {name, VarValue::text(v)}; }
Change G(std::vector<Group> groups) { return {.groups = std::move(groups)}; }

// Plain sizes so that expected positions are easy to read: arrows 1, text 1 high with a gap of
// 0.5, extension lines 1 off the origins and 2 past the line, text above; the other variables
// at their quietest.
DimStyleValues plain_style() {
  DimStyleValues v;
  const Change settings[] = {
      R("DIMSCALE", 1), R("DIMASZ", 1),   R("DIMTSZ", 0),    R("DIMTXT", 1),    R("DIMGAP", 0.5),
      R("DIMEXO", 1),   R("DIMEXE", 2),   R("DIMDLE", 0),    I("DIMTAD", 1),    I("DIMJUST", 0),
      I("DIMTIH", 0),   I("DIMTOH", 0),   I("DIMTIX", 0),    I("DIMSOXD", 0),   I("DIMTOFL", 0),
      I("DIMTMOVE", 0), I("DIMATFIT", 3), I("DIMCLRD", 256), I("DIMCLRE", 256), I("DIMCLRT", 256),
      I("DIMLWD", -1),  I("DIMLWE", -1),
  };
  for (const Change& s : settings) v.set(s.var, s.value);
  return v;
}

// Where a dimension measures: its origins, a point of its line and the line's direction.
struct Geometry {
  Vec3 origin1;
  Vec3 origin2;
  Vec3 line;
  double rotation;
};
const Geometry kHorizontal{{0, 0, 0}, {10, 0, 0}, {5, 5, 0}, 0};
const Geometry kBelow{{0, 0, 0}, {10, 0, 0}, {5, -5, 0}, 0};
const Geometry kVertical{{0, 0, 0}, {0, 10, 0}, {-5, 5, 0}, kPi / 2};
// Too short for text and arrows (1), short for both together when the text is on the line (3.5).
const Geometry kShort{{0, 0, 0}, {1, 0, 0}, {0.5, 5, 0}, 0};
const Geometry kMedium{{0, 0, 0}, {3.5, 0, 0}, {1.75, 5, 0}, 0};
const Geometry kShortVertical{{0, 0, 0}, {0, 1, 0}, {-5, 0.5, 0}, kPi / 2};

struct Segment {
  Vec3 from;
  Vec3 to;
  int64_t color = 256;
  int64_t lineweight = -1;
};

// An arrowhead: a SOLID (block "") or an INSERT of that block, by its tip and the way it points.
struct Head {
  Vec3 tip;
  Vec3 direction;
  const char* block = "";
  int64_t color = 256;
};

// The lines and arrowheads of the horizontal dimension with the plain style.
const Segment kExt1 = {{0, 1}, {0, 7}};
const Segment kExt2 = {{10, 1}, {10, 7}};
const Segment kLine = {{1, 5}, {9, 5}};
const Head kSolid1 = {{0, 5}, {-1, 0}};
const Head kSolid2 = {{10, 5}, {1, 0}};
const std::vector<Segment> kPlain = {kExt1, kExt2, kLine};
const std::vector<Head> kSolids = {kSolid1, kSolid2};
// The second extension lines of the short (1) and medium (3.5) dimensions (the first is kExt1),
// the first arrow's tail outside them, and their outside arrows.
const Segment kShortExt2 = {{1, 1}, {1, 7}}, kMediumExt2 = {{3.5, 1}, {3.5, 7}};
const Segment kTail = {{-2, 5}, {-1, 5}};
const std::vector<Head> kShortOutside = {{{0, 5}, {1, 0}}, {{1, 5}, {-1, 0}}};
const std::vector<Head> kMediumOutside = {{{0, 5}, {1, 0}}, {{3.5, 5}, {-1, 0}}};
// The extension lines and arrowheads of the vertical dimension.
const Segment kUpExt1 = {{-1, 0}, {-7, 0}}, kUpExt2 = {{-1, 10}, {-7, 10}};
const std::vector<Head> kUpSolids = {{{-5, 0}, {0, -1}}, {{-5, 10}, {0, 1}}};

// A case: the dimension, what it changes, and the block it must give: its lines and arrowheads,
// where its text sits, which way it reads, how high and in which colour (by default the plain
// lines and arrowheads of the horizontal dimension, the text above the line).
struct Case {
  Case(Geometry g, const char* name, std::vector<Change> c, std::vector<Segment> l = kPlain,
       std::vector<Head> h = kSolids, Vec3 at = {5, 6}, Vec3 direction = {1, 0}, double height = 1,
       int64_t color = 256)
      : geometry(g),
        id(name),
        changes(std::move(c)),
        lines(std::move(l)),
        heads(std::move(h)),
        text_at(at),
        text_direction(direction),
        text_height(height),
        text_color(color) {}
  Geometry geometry;
  const char* id;  // names its picture
  std::vector<Change> changes;
  std::vector<Segment> lines;
  std::vector<Head> heads;
  Vec3 text_at;
  Vec3 text_direction;
  double text_height;
  int64_t text_color;
};

// The horizontal dimension's line broken around a text of this extent along it, centred at 5.
std::vector<Segment> broken(double along) {
  return {kExt1, kExt2, {{1, 5}, {4.5 - along / 2, 5}}, {{5.5 + along / 2, 5}, {9, 5}}};
}

// Each case a rule of docs/dimensions.md.
std::vector<Case> cases() {
  const double a = kW / 2 + 0.5;                      // half the text's box with its gap
  const double turned = kW * std::sqrt(3) / 2 + 0.5;  // the text's extent along, turned 30 degrees
  // Text placed by the user (bit 128 of group 70) with its middle here.
  auto placed = [](Vec3 at) { return G({Group::integer(70, 160), Group::point(11, at)}); };
  // The line run on by DIMDLE past the extension lines, and the corners of the text's box.
  const Segment run_on = {{-0.5, 5}, {10.5, 5}};
  const Vec3 p{5 - a, 5}, q{5 + a, 5}, r{5 + a, 7}, s{5 - a, 7};
  return {
      // DIMTAD 1 (and DIMEXO, DIMEXE, DIMASZ): text DIMGAP above the line, arrows inside.
      Case(kHorizontal, "tad1", {}),
      // DIMTAD 0: text centred on the line, which is broken for it and its gap.
      Case(kHorizontal, "tad0", {I("DIMTAD", 0)}, broken(kW), kSolids, {5, 5}),
      // DIMTAD 2: text on the side of the line away from the origins.
      Case(kBelow, "tad2", {I("DIMTAD", 2)},
           {{{0, -1}, {0, -7}}, {{10, -1}, {10, -7}}, {{1, -5}, {9, -5}}},
           {{{0, -5}, {-1, 0}}, {{10, -5}, {1, 0}}}, {5, -6}),
      // DIMTAD 4: text below the line.
      Case(kHorizontal, "tad4", {I("DIMTAD", 4)}, kPlain, kSolids, {5, 4}),
      // DIMTVP 1 (DIMTAD 0): text raised by DIMTVP text heights, the line whole.
      Case(kHorizontal, "tvp1", {I("DIMTAD", 0), R("DIMTVP", 1)}),
      // DIMTVP 0.5: text raised, the line broken (below 0.7).
      Case(kHorizontal, "tvp05", {I("DIMTAD", 0), R("DIMTVP", 0.5)}, broken(kW), kSolids, {5, 5.5}),
      // DIMJUST 1 and 2: text next to the first or second extension line, past arrow and gap.
      Case(kHorizontal, "just1", {I("DIMJUST", 1)}, kPlain, kSolids, {1.5 + kW / 2, 6}),
      Case(kHorizontal, "just2", {I("DIMJUST", 2)}, kPlain, kSolids, {8.5 - kW / 2, 6}),
      // DIMJUST 3 and 4: text along the first or second extension line past DIMEXE, which runs
      // on by the text.
      Case(kHorizontal, "just3", {I("DIMJUST", 3)}, {{{0, 1}, {0, 7 + kW}}, kExt2, kLine}, kSolids,
           {-1, 7 + kW / 2}, {0, 1}),
      Case(kHorizontal, "just4", {I("DIMJUST", 4)}, {kExt1, {{10, 1}, {10, 7 + kW}}, kLine},
           kSolids, {9, 7 + kW / 2}, {0, 1}),
      // DIMTIH 0: text along a vertical line reads from below, above it is to the left.
      Case(kVertical, "tih0", {}, {kUpExt1, kUpExt2, {{-5, 1}, {-5, 9}}}, kUpSolids, {-6, 5},
           {0, 1}),
      // DIMTIH 1: horizontal text on a vertical line is centred on it (DIMTAD 1 too).
      Case(kVertical, "tih1", {I("DIMTIH", 1)},
           {kUpExt1, kUpExt2, {{-5, 1}, {-5, 4}}, {{-5, 6}, {-5, 9}}}, kUpSolids, {-5, 5}),
      // Group 53: text turned from its own direction, centred on the line it crosses.
      Case(kHorizontal, "rot53", {G({Group::real(53, kPi / 6)})}, broken(turned), kSolids, {5, 5},
           {std::sqrt(3) / 2, 0.5}),
      // Text placed by the user, DIMTMOVE 0: the dimension line comes to it.
      Case(kHorizontal, "user-tmove0", {placed({3, 9})},
           {{{0, 1}, {0, 10}}, {{10, 1}, {10, 10}}, {{1, 8}, {9, 8}}},
           {{{0, 8}, {-1, 0}}, {{10, 8}, {1, 0}}}, {3, 9}),
      // DIMTMOVE 1: the line stays, a leader runs to the text.
      Case(kHorizontal, "user-tmove1", {I("DIMTMOVE", 1), placed({15, 9})},
           {kExt1, kExt2, kLine, {{5, 5}, {14.5 - kW / 2, 9}}}, kSolids, {15, 9}),
      // DIMTMOVE 2: the line stays, no leader.
      Case(kHorizontal, "user-tmove2", {I("DIMTMOVE", 2), placed({15, 9})}, kPlain, kSolids,
           {15, 9}),
      // Neither fits (DIMATFIT 3, DIMTMOVE 0): arrows outside with tails, text beside the second
      // extension line over the line run on under it.
      Case(kShort, "nofit", {}, {kExt1, kShortExt2, kTail, {{2, 5}, {3 + kW, 5}}}, kShortOutside,
           {3 + kW / 2, 6}),
      // DIMATFIT 0: text and arrows go out together, even when one alone would fit.
      Case(kMedium, "atfit0", {I("DIMTAD", 0), I("DIMATFIT", 0)},
           {kExt1, kMediumExt2, kTail, {{4.5, 5}, {5, 5}}}, kMediumOutside, {5.5 + kW / 2, 5}),
      // DIMATFIT 1: arrows go out first, the text stays.
      Case(kMedium, "atfit1", {I("DIMTAD", 0), I("DIMATFIT", 1)},
           {kExt1, kMediumExt2, kTail, {{4.5, 5}, {5.5, 5}}}, kMediumOutside, {1.75, 5}),
      // DIMATFIT 2: the text goes out first, the arrows stay.
      Case(kMedium, "atfit2", {I("DIMTAD", 0), I("DIMATFIT", 2)},
           {kExt1, kMediumExt2, {{1, 5}, {2.5, 5}}, {{3.5, 5}, {5, 5}}},
           {kSolid1, {{3.5, 5}, {1, 0}}}, {5.5 + kW / 2, 5}),
      // DIMTOFL 1: the line is drawn between the extension lines with the arrows outside.
      Case(kMedium, "tofl", {I("DIMTAD", 0), I("DIMATFIT", 0), I("DIMTOFL", 1)},
           {kExt1, kMediumExt2, {{0, 5}, {3.5, 5}}, kTail, {{4.5, 5}, {5, 5}}}, kMediumOutside,
           {5.5 + kW / 2, 5}),
      // DIMTIX 1: the text stays between the extension lines, the arrows go out.
      Case(kShort, "tix", {I("DIMTIX", 1)}, {kExt1, kShortExt2, kTail, {{2, 5}, {3, 5}}},
           kShortOutside, {0.5, 6}),
      // DIMSOXD 1 (with DIMTIX): arrows that do not fit are left out.
      Case(kShort, "soxd", {I("DIMTIX", 1), I("DIMSOXD", 1)}, {kExt1, kShortExt2}, {}, {0.5, 6}),
      // DIMTOH 1: text outside is horizontal, on a vertical line centred on it.
      Case(kShortVertical, "toh", {I("DIMTOH", 1)},
           {kUpExt1, {{-1, 1}, {-7, 1}}, {{-5, -2}, {-5, -1}}, {{-5, 2}, {-5, 2.5}}},
           {{{-5, 0}, {0, 1}}, {{-5, 1}, {0, -1}}}, {-5, 3.5}),
      // DIMTMOVE 1: text that does not fit goes over the line with a leader from its middle.
      Case(kShort, "tmove1", {I("DIMTMOVE", 1)},
           {kExt1, kShortExt2, kTail, {{2, 5}, {3, 5}}, {{0.5, 5}, {2.5, 7.5}}}, kShortOutside,
           {3 + kW / 2, 7.5}),
      // DIMTMOVE 2: text that does not fit goes over the line without a leader.
      Case(kShort, "tmove2", {I("DIMTMOVE", 2)}, {kExt1, kShortExt2, kTail, {{2, 5}, {3, 5}}},
           kShortOutside, {3 + kW / 2, 7.5}),
      // DIMTSZ: oblique strokes DIMTSZ wide, DIMDLE carries the line past the extension lines.
      Case(kHorizontal, "tsz", {R("DIMTSZ", 1), R("DIMDLE", 0.5)},
           {kExt1, kExt2, run_on, {{-0.5, 4.5}, {0.5, 5.5}}, {{9.5, 4.5}, {10.5, 5.5}}}, {}),
      // DIMBLK _ARCHTICK: the built-in block, the line to its tip and on by DIMDLE.
      Case(kHorizontal, "archtick", {T("DIMBLK", "_ARCHTICK"), R("DIMDLE", 0.5)},
           {kExt1, kExt2, run_on},
           {{{0, 5}, {-1, 0}, "_ArchTick"}, {{10, 5}, {1, 0}, "_ArchTick"}}),
      // DIMSAH 1: DIMBLK1 _DOT at the first end (the line stops at its back), DIMBLK2 _NONE.
      Case(kHorizontal, "sah", {I("DIMSAH", 1), T("DIMBLK1", "_dot"), T("DIMBLK2", "_NONE")},
           {kExt1, kExt2, {{1, 5}, {10, 5}}}, {{{0, 5}, {-1, 0}, "_Dot"}}),
      // DIMSE1, DIMSE2: no first, no second extension line.
      Case(kHorizontal, "se1", {I("DIMSE1", 1)}, {kExt2, kLine}),
      Case(kHorizontal, "se2", {I("DIMSE2", 1)}, {kExt1, kLine}),
      // DIMSD1, DIMSD2: no dimension line nor arrow between the first extension line and the
      // text, or between the text and the second.
      Case(kHorizontal, "sd1", {I("DIMSD1", 1)}, {kExt1, kExt2, {{5, 5}, {9, 5}}}, {kSolid2}),
      Case(kHorizontal, "sd2", {I("DIMSD2", 1)}, {kExt1, kExt2, {{1, 5}, {5, 5}}}, {kSolid1}),
      // DIMFXLON: extension lines DIMFXL long from the dimension line.
      Case(kHorizontal, "fxlon", {I("DIMFXLON", 1), R("DIMFXL", 2)},
           {{{0, 3}, {0, 7}}, {{10, 3}, {10, 7}}, kLine}),
      // DIMSCALE: every size twice.
      Case(kHorizontal, "scale", {R("DIMSCALE", 2)},
           {{{0, 2}, {0, 9}}, {{10, 2}, {10, 9}}, {{2, 5}, {8, 5}}}, kSolids, {5, 7}, {1, 0}, 2),
      // DIMGAP negative: a box DIMGAP around the text.
      Case(kHorizontal, "gapbox", {R("DIMGAP", -0.5)},
           {kExt1, kExt2, kLine, {p, q}, {q, r}, {r, s}, {s, p}}),
      // DIMTXSTY with a fixed height: that height, not DIMTXT.
      Case(kHorizontal, "txsty", {{.style_height = 3}}, kPlain, kSolids, {5, 7}, {1, 0}, 3),
      // The dimension's own overrides (ACAD DSTYLE extended data) win over the style.
      Case(kHorizontal, "overrides",
           {G({Group::text(1001, "ACAD"), Group::text(1000, "DSTYLE"), Group::text(1002, "{"),
               Group::integer(1070, 77), Group::integer(1070, 4), Group::text(1002, "}")})},
           kPlain, kSolids, {5, 4}),
      // DIMCLRD, DIMCLRE, DIMCLRT, DIMLWD, DIMLWE: colours and lineweights of the parts.
      Case(kHorizontal, "colours",
           {I("DIMCLRD", 3), I("DIMCLRE", 1), I("DIMCLRT", 0), I("DIMLWD", 25), I("DIMLWE", 50)},
           {{{0, 1}, {0, 7}, 1, 50}, {{10, 1}, {10, 7}, 1, 50}, {{1, 5}, {9, 5}, 3, 25}},
           {{{0, 5}, {-1, 0}, "", 3}, {{10, 5}, {1, 0}, "", 3}}, {5, 6}, {1, 0}, 1, 0),
  };
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

Record dimension(const Geometry& g) {
  Record dim = entity_record("DIMENSION", "DIMS");
  dim.groups.insert(dim.groups.end(),
                    {Group::point(10, g.line), Group::text(1, "10"), Group::point(13, g.origin1),
                     Group::point(14, g.origin2), Group::real(50, g.rotation)});
  return dim;
}

Built build(Database& db, Record dim, const DimStyleValues& values) {
  size_t block = build_dimension_block(db, dim, values);
  Built out{std::move(dim), {}};
  for (RecordId id : db.blocks()[block].entities) out.entities.push_back(db.record(id));
  return out;
}

bool same_line(const Record& l, const Segment& s) {
  return ((near(l.point(10), s.from) && near(l.point(11), s.to)) ||
          (near(l.point(10), s.to) && near(l.point(11), s.from))) &&
         l.integer(62, 256) == s.color && l.integer(370, -1) == s.lineweight;
}

std::string str(Vec3 p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; }

std::string describe(const std::vector<Record>& lines) {
  std::string out;
  for (const Record& l : lines) out += " " + str(l.point(10)) + "-" + str(l.point(11));
  return out;
}

// An arrowhead's tip and the way it points, from its SOLID or INSERT.
bool same_head(const Record& r, const Head& h) {
  if (r.integer(62, 256) != h.color) return false;
  if (r.type == "SOLID") {
    const Vec3 base = (r.point(10) + r.point(11)) / 2;
    // A third of its length wide.
    return *h.block == '\0' && near(r.point(12), h.tip) &&
           near(normalized(r.point(12) - base), h.direction) &&
           std::abs(length(r.point(10) - r.point(11)) * 3 - length(r.point(12) - base)) < 1e-9;
  }
  const Vec3 pointing{std::cos(r.real(50)), std::sin(r.real(50)), 0};
  return r.text(2) == h.block && near(r.point(10), h.tip) && near(pointing, h.direction) &&
         r.real(41) == 1;
}

// The picture of a case, for docs/dimensions.md (scripts/dimension-pictures.sh makes them PNGs).
void write_picture(Database& db, const Record& dim, const char* id) {
  const std::filesystem::path folder =
      std::filesystem::path(DULK_BINARY_DIR) / "pictures" / "dimensions";
  std::filesystem::create_directories(folder);
  db.add_entity(dim);
  SvgOptions options;
  options.width_px = 360;
  options.max_height_px = 180;
  options.margin = 0.08;
  std::ofstream(folder / (std::string(id) + ".svg")) << render_svg(db, options);
}

TEST(DimensionBlockRules, EachVariableShapesTheBlockAsTheHostDoes) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.id);
    Database db;
    DimStyleValues values = plain_style();
    Record dim = dimension(c.geometry);
    for (const Change& change : c.changes) {
      if (change.var) values.set(change.var, change.value);
      for (const Group& g : change.groups) g.code >= 1000 ? dim.groups.push_back(g) : dim.set(g);
      if (change.style_height > 0)
        add_table_record(db, "STYLE",
                         {Group::text(2, "Standard"), Group::integer(70, 0),
                          Group::real(40, change.style_height)});
    }
    const Built b = build(db, dim, values);

    const std::vector<Record> lines = b.of_type("LINE");
    EXPECT_EQ(lines.size(), c.lines.size()) << describe(lines);
    for (const Segment& s : c.lines)
      EXPECT_TRUE(std::ranges::any_of(lines, [&](const Record& l) { return same_line(l, s); }))
          << "no line " << str(s.from) << "-" << str(s.to) << " among" << describe(lines);
    std::vector<Record> heads = b.of_type("SOLID");
    for (const Record& r : b.of_type("INSERT")) heads.push_back(r);
    EXPECT_EQ(heads.size(), c.heads.size());
    for (const Head& h : c.heads)
      EXPECT_TRUE(std::ranges::any_of(heads, [&](const Record& r) { return same_head(r, h); }))
          << "no arrowhead '" << h.block << "' at " << str(h.tip);

    const std::vector<Record> texts = b.of_type("MTEXT");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].integer(71), 5) << "attached at its middle";
    EXPECT_TRUE(near(texts[0].point(10), c.text_at));
    EXPECT_TRUE(near(b.dim.point(11), c.text_at)) << "group 11 is the text's middle";
    EXPECT_TRUE(near(normalized(texts[0].point(11)), c.text_direction));
    EXPECT_DOUBLE_EQ(texts[0].real(40), c.text_height);
    EXPECT_EQ(texts[0].integer(62, 256), c.text_color);
    EXPECT_EQ(texts[0].text(1), "10");
    write_picture(db, b.dim, c.id);
  }
}

TEST(DimensionBlockRules, BuiltInArrowBlocksAreMadeOnceAndSurviveAStyleOfTheirName) {
  Database db;
  ensure_table(db, "BLOCK_RECORD");
  DimStyleValues v = plain_style();
  v.set("DIMBLK", VarValue::text("_Oblique"));
  build(db, dimension(kHorizontal), v);
  build(db, dimension(kHorizontal), v);
  const size_t block = db.block_index("_OBLIQUE");
  ASSERT_NE(block, Database::npos);
  EXPECT_EQ(db.record(db.blocks()[block].begin).text(2), "_Oblique");
  EXPECT_EQ(db.blocks()[block].entities.size(), 1u) << "one stroke, made once";
  EXPECT_NE(db.table_entry("BLOCK_RECORD", "_Oblique"), kNoRecord)
      << "a style can keep the arrowhead by its block record's handle";
}

// The location moves onto the second extension line and the measurement runs along the line,
// turned or not; the first dimension's block is *D1, the next *D2, each with its block record.
TEST(DimensionRecordTest, LocationMeasurementAndBlockNames) {
  Database db;
  ensure_table(db, "BLOCK_RECORD");
  Built b = build(db, dimension(kHorizontal), plain_style());
  EXPECT_TRUE(near(b.dim.point(10), {10, 5, 0}));
  EXPECT_DOUBLE_EQ(b.dim.real(42), 10);
  EXPECT_EQ(b.dim.text(2), "*D1");
  const std::vector<Record> points = b.of_type("POINT");
  ASSERT_EQ(points.size(), 3u);
  EXPECT_TRUE(near(points[0].point(10), {0, 0, 0}));
  EXPECT_TRUE(near(points[1].point(10), {10, 0, 0}));
  EXPECT_TRUE(near(points[2].point(10), {10, 5, 0}));
  for (const Record& p : points) EXPECT_TRUE(iequals(p.text(8), "DEFPOINTS"));
  EXPECT_NE(db.table_entry("LAYER", "DEFPOINTS"), kNoRecord);
  for (const Record& e : b.entities)
    EXPECT_TRUE(e.type == "POINT" || e.text(8) == "DIMS") << e.type << " on " << e.text(8);
  Built second = build(db, dimension(kHorizontal), plain_style());
  EXPECT_EQ(second.dim.text(2), "*D2");
  EXPECT_NE(db.table_entry("BLOCK_RECORD", "*D2"), kNoRecord);
  const size_t block = db.block_index("*D2");
  ASSERT_NE(block, Database::npos);
  EXPECT_EQ(db.record(db.blocks()[block].begin).integer(70), 1);
  // A turned line measures along its direction.
  Record dim = dimension(kHorizontal);
  const double angle = kPi / 6;
  dim.set(Group::real(50, angle));
  dim.set(Group::point(10, {0, 0, 0}));
  Built turned = build(db, dim, plain_style());
  const Vec3 d{std::cos(angle), std::sin(angle), 0};
  EXPECT_NEAR(turned.dim.real(42), 10 * std::cos(angle), 1e-12);
  EXPECT_TRUE(near(turned.dim.point(10), d * (10 * std::cos(angle))));
  const std::vector<Record> texts = turned.of_type("MTEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(near(texts[0].point(11), d));
}

// Module codes in the text pass through as MTEXT content; a blank text draws no MTEXT.
TEST(DimensionTextTest, ModuleCodesPassThroughAsMtextContentAndABlankTextDrawsNone) {
  for (const std::string text : {"12.50{\\A2\\H0.6x5}", " "}) {
    Database db;
    Record dim = dimension(kHorizontal);
    dim.set(Group::text(1, text));
    const std::vector<Record> texts = build(db, dim, plain_style()).of_type("MTEXT");
    ASSERT_EQ(texts.size(), text == " " ? 0u : 1u) << text;
    for (const Record& t : texts) EXPECT_EQ(t.text(1), text);
  }
}

// The text names a style the drawing holds: DIMTXSTY, or STANDARD (as the drawing spells it) when
// the drawing lacks that style or the dimension style names none, as other programs' styles
// often do; STANDARD's fixed height is then the text's.
TEST(DimensionTextTest, TextNamesAStyleTheDrawingHolds) {
  const std::pair<const char*, const char*> styles[] = {
      {"Notes", "Notes"}, {"", "Standard"}, {"NOSUCH", "Standard"}};
  for (const auto& [named, written] : styles) {
    SCOPED_TRACE(named);
    Database db;
    for (const auto& [name, height] : {std::pair{"Standard", 2.0}, std::pair{"Notes", 0.0}})
      add_table_record(db, "STYLE",
                       {Group::text(2, name), Group::integer(70, 0), Group::real(40, height)});
    DimStyleValues values = plain_style();
    values.set("DIMTXSTY", VarValue::text(named));
    const std::vector<Record> texts = build(db, dimension(kHorizontal), values).of_type("MTEXT");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text(7), written);
    EXPECT_DOUBLE_EQ(texts[0].real(40), std::string(written) == "Notes" ? 1 : 2);
  }
}

}  // namespace
}  // namespace cad
