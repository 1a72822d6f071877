// Pictures of model space: which entities are drawn and how (paths, arcs, fills, dots, text with
// its codes), what is left out, colours, the view box, and output that repeats byte for byte.
#include "cad/render/svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tests/render/render_checks.h"

namespace cad::testing {
namespace {

Record text_record(std::string layer, Vec3 at, double height, std::string text,
                   const char* type = "TEXT") {
  return Record{type,
                {Group::text(8, std::move(layer)), Group::point(10, at), Group::real(40, height),
                 Group::text(1, std::move(text))}};
}

// An MTEXT attached at its top left.
Record mtext_record(std::string layer, Vec3 at, double height, std::string text) {
  return with(text_record(layer, at, height, text, "MTEXT"), Group::integer(71, 1));
}

// The sample drawing: a line, a bulged polyline, a circle, a text and a dimension-style MTEXT.
void add_sample(Database& db) {
  add_layers(db, {layer_record("PARTS", 1), layer_record("NOTES", 5)});
  db.add_entity(line_record("PARTS", {0, 0, 0}, {100, 0, 0}));
  db.add_entity(Record{
      "LWPOLYLINE",
      {Group::text(8, "PARTS"), Group::integer(90, 2), Group::integer(70, 0),
       Group::point(10, {0, 10, 0}, 2), Group::real(42, 1), Group::point(10, {20, 10, 0}, 2)}});
  db.add_entity(Record{
      "CIRCLE", {Group::text(8, "PARTS"), Group::point(10, {50, 30, 0}), Group::real(40, 10)}});
  db.add_entity(text_record("NOTES", {0, 50, 0}, 5, "NOTE"));
  db.add_entity(mtext_record("NOTES", {60, 50, 0}, 2.5, "12.50{\\A2\\H0.6x5}"));
}

const Element* tspan_with(const std::vector<Element>& tspans, const std::string& text) {
  for (const Element& e : tspans)
    if (e.text == text) return &e;
  return nullptr;
}

TEST(SvgPicture, DrawsLineWorkAsPathsTextAsTextAndRaisesTheDimensionSuffix) {
  Database db;
  add_sample(db);
  const std::string svg = render_svg(db);
  const std::vector<Element> paths = elements(svg, "path");
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0].at("d"), "M0 0L100 0");
  EXPECT_NE(paths[1].at("d").find('A'), std::string::npos) << "the bulge is an arc command";
  EXPECT_EQ(paths[2].at("d").back(), 'Z') << "a circle is a closed path";
  const std::vector<Element> texts = elements(svg, "text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(svg.find(">NOTE</tspan>"), std::string::npos);
  const std::vector<Element> tspans = elements(svg, "tspan");
  const Element* value = tspan_with(tspans, "12.50");
  const Element* suffix = tspan_with(tspans, "5");
  ASSERT_TRUE(value && suffix);
  EXPECT_TRUE(value->at("font-size").empty()) << "the value keeps the text's size";
  EXPECT_LT(suffix->number("font-size"), texts[1].number("font-size"));
  EXPECT_LT(suffix->number("dy"), 0) << "SVG's y runs down: raised is negative";
}

TEST(SvgPicture, BulgeArcBendsTheDrawingsWay) {
  Database db;
  // Counter-clockwise from (0,0) to (10,0): the half circle below the chord.
  db.add_entity(Record{"LWPOLYLINE",
                       {Group::integer(90, 2), Group::point(10, {0, 0, 0}, 2), Group::real(42, 1),
                        Group::point(10, {10, 0, 0}, 2)}});
  const std::string svg = render_svg(db);
  EXPECT_EQ(elements(svg, "path").at(0).at("d"), "M0 0A5 5 0 0 0 10 0");
  const Extents box = extents(svg);
  EXPECT_LT(box.bottom, -5);
  EXPECT_LT(box.top, 1);
}

TEST(SvgPicture, ViewBoxFitsDrawnExtentsNotHeaderOrTheWindowWithoutMargin) {
  Database db;
  db.set_header_var("$EXTMIN", {Group::point(10, {-5000, -5000, 0})});
  db.set_header_var("$EXTMAX", {Group::point(10, {9000, 9000, 0})});
  db.add_entity(line_record("0", {10, 20, 0}, {110, 70, 0}));
  SvgOptions options;
  options.margin = 0.1;
  // Margin: a tenth of the larger side (100) on each side.
  expect_near(extents(render_svg(db, options)).all(), {0, 120, 10, 80});
  options.window = Box2({40, 50}, {30, 30});
  expect_near(extents(render_svg(db, options)).all(), {30, 40, 30, 50});
}

TEST(SvgPicture, ViewBoxHoldsTextGlyphsWiderThanTheirBox) {
  Database db;
  db.add_entity(line_record("0", {0, 0, 0}, {1, 0, 0}));
  db.add_entity(text_record("0", {0, 0, 0}, 1, "MMMMMMMMMM"));
  SvgOptions options;
  options.margin = 0;
  const Extents box = extents(render_svg(db, options));
  // Ten characters of a sans-serif face one unit high in capitals advance about 8.3 units.
  EXPECT_GT(box.right, 8);
  EXPECT_LT(box.bottom, -0.3) << "room for descenders";
}

// Pixels per drawing unit times the width the line group gives its strokes.
double stroke_px(const std::string& svg) {
  const Extents box = extents(svg);
  const double px_per_unit = elements(svg, "svg").at(0).number("width") / (box.right - box.left);
  return elements(svg, "g").at(0).number("stroke-width") * px_per_unit;
}

// The picture size follows the options and the aspect; strokes are as wide in pixels whatever
// the drawing's size.
TEST(SvgPicture, PictureSizeFollowsOptionsAndAspectAndStrokeWidthIsInPixels) {
  Database db;
  db.add_entity(line_record("0", {0, 0, 0}, {100, 50, 0}));
  SvgOptions options;
  options.margin = 0;
  options.width_px = 800;
  auto size = [&] {
    const Element root = elements(render_svg(db, options), "svg").at(0);
    return root.at("width") + "x" + root.at("height");
  };
  EXPECT_EQ(size(), "800x400");
  options.max_height_px = 200;
  EXPECT_EQ(size(), "400x200");
  options = SvgOptions{};
  options.stroke_px = 2;
  for (const Vec3 far : {Vec3{1, 1, 0}, Vec3{25000, 100, 0}}) {
    Database sized;
    sized.add_entity(line_record("0", {0, 0, 0}, far));
    EXPECT_NEAR(stroke_px(render_svg(sized, options)), 2, 0.01) << far.x;
  }
}

TEST(SvgPicture, LayersOffOrFrozenErasedAndPaperSpaceAreLeftOut) {
  Database db;
  add_layers(db, {layer_record("OFF", -1), layer_record("FROZEN", 2, 1)});
  db.add_entity(line_record("0", {0, 0, 0}, {10, 10, 0}));
  db.add_entity(line_record("OFF", {500, 500, 0}, {600, 600, 0}));
  db.add_entity(line_record("FROZEN", {-500, 0, 0}, {0, 0, 0}));
  db.add_entity(with(line_record("0", {0, 0, 0}, {0, 900, 0}), Group::integer(67, 1)));
  const RecordId erased = db.add_entity(line_record("0", {0, 0, 0}, {-900, 0, 0}));
  db.set_erased(erased, true);
  const std::string svg = render_svg(db);
  ASSERT_EQ(elements(svg, "path").size(), 1u);
  const Extents box = extents(svg);
  EXPECT_LT(box.right, 11);
  EXPECT_GT(box.left, -1);
  EXPECT_LT(box.top, 11);
}

TEST(SvgPicture, ColoursFollowEntityOrLayer) {
  Database db;
  add_layers(db, {layer_record("RED", 1), layer_record("WHITE", 7)});
  db.add_entity(line_record("RED", {0, 0, 0}, {1, 0, 0}));
  db.add_entity(with(line_record("RED", {0, 1, 0}, {1, 1, 0}), Group::integer(62, 3)));
  db.add_entity(line_record("WHITE", {0, 2, 0}, {1, 2, 0}));
  db.add_entity(with(line_record("RED", {0, 3, 0}, {1, 3, 0}), Group::integer(420, 0x123456)));
  db.add_entity(with(line_record("RED", {0, 4, 0}, {1, 4, 0}), Group::integer(62, 256)));
  const std::vector<Element> paths = elements(render_svg(db), "path");
  ASSERT_EQ(paths.size(), 5u);
  EXPECT_EQ(paths[0].at("stroke"), "#ff0000") << "BYLAYER by default";
  EXPECT_EQ(paths[1].at("stroke"), "#00ff00");
  EXPECT_EQ(paths[2].at("stroke"), "#000000") << "white draws black on white";
  EXPECT_EQ(paths[3].at("stroke"), "#123456");
  EXPECT_EQ(paths[4].at("stroke"), "#ff0000");
}

// A block "B" with base point (1,1): a line on layer 0 in BYBLOCK, a line on layer "KEEP"
// BYLAYER, and a text on layer 0.
size_t add_block_b(Database& db) {
  const size_t block = db.add_block(
      Record{"BLOCK", {Group::text(2, "B"), Group::point(10, {1, 1, 0}), Group::text(8, "0")}},
      Record{"ENDBLK", {}});
  db.add_block_entity(block, with(line_record("0", {1, 1, 0}, {3, 1, 0}), Group::integer(62, 0)));
  db.add_block_entity(block, line_record("KEEP", {1, 1, 0}, {1, 2, 0}));
  db.add_block_entity(block, text_record("0", {1, 1, 0}, 1, "IN"));
  return block;
}

Record insert_record(std::string layer, Vec3 at, double scale, double rotation) {
  return Record{"INSERT",
                {Group::text(8, std::move(layer)), Group::text(2, "B"), Group::point(10, at),
                 Group::real(41, scale), Group::real(42, scale), Group::real(50, rotation)}};
}

// An INSERT on a layer that is off shows only its parts on other layers; on a frozen layer, none.
TEST(SvgPicture, InsertDrawsItsBlockMovedScaledTurnedColouredAndLeftOutAsItsLayerSays) {
  Database db;
  add_layers(db, {layer_record("KEEP", 5), layer_record("INS", 1), layer_record("OFF", -1),
                  layer_record("ICE", 1, 1)});
  add_block_b(db);
  db.add_entity(
      with(insert_record("INS", {100, 100, 0}, 10, std::numbers::pi / 2), Group::integer(62, 3)));
  db.add_entity(insert_record("OFF", {0, 0, 0}, 1, 0));
  db.add_entity(insert_record("ICE", {0, 0, 0}, 1, 0));
  const std::string svg = render_svg(db);
  const std::vector<Element> paths = elements(svg, "path");
  ASSERT_EQ(paths.size(), 3u);
  // The first line runs 20 along the block's x, turned a quarter: up from the insertion point.
  EXPECT_EQ(paths[0].at("d"), "M100 -100L100 -120");
  EXPECT_EQ(paths[0].at("stroke"), "#00ff00") << "BYBLOCK takes the INSERT's colour";
  EXPECT_EQ(paths[1].at("d"), "M100 -100L90 -100");
  EXPECT_EQ(paths[1].at("stroke"), "#0000ff") << "its own layer's colour";
  EXPECT_EQ(paths[2].at("d"), "M0 0L0 -1") << "the line on KEEP of the INSERT on OFF";
  const std::vector<Element> texts = elements(svg, "text");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].at("fill"), "#ff0000") << "layer 0 in a block takes the INSERT's layer";
  expect_near(text_frame(texts[0], 1), {0, -10, 10, 0, 100, -100});
}

TEST(SvgPicture, DimensionBlockTextIsDrawnAsTextInTheDimensionsColour) {
  Database db;
  const size_t block = db.add_block(
      Record{"BLOCK", {Group::text(2, "*D1"), Group::point(10, {0, 0, 0})}}, Record{"ENDBLK", {}});
  db.add_block_entity(block,
                      with(line_record("0", {0, 0, 0}, {12.5, 0, 0}), Group::integer(62, 0)));
  db.add_block_entity(block, with(mtext_record("0", {6.25, 1, 0}, 2.5, "\\A1;12.50{\\A2\\H0.6x5}"),
                                  Group::integer(71, 8), Group::integer(62, 0)));
  db.add_entity(Record{"DIMENSION",
                       {Group::text(8, "0"), Group::text(2, "*D1"), Group::integer(62, 1),
                        Group::point(13, {0, 0, 0}), Group::point(14, {12.5, 0, 0})}});
  const std::string svg = render_svg(db);
  ASSERT_EQ(elements(svg, "path").size(), 1u) << "no box stands in for the text";
  const std::vector<Element> texts = elements(svg, "text");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].at("fill"), "#ff0000");
  EXPECT_EQ(texts[0].at("text-anchor"), "middle") << "bottom center attachment";
}

TEST(SvgPicture, TextAlignmentRotationAndSymbols) {
  Database db;
  db.add_entity(with(text_record("0", {0, 0, 0}, 2, "%%c10"), Group::integer(72, 1),
                     Group::integer(73, 3), Group::point(11, {50, 20, 0}),
                     Group::real(50, std::numbers::pi / 2)));
  const std::string svg = render_svg(db);
  const std::vector<Element> texts = elements(svg, "text");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].at("text-anchor"), "middle");
  expect_near(text_frame(texts[0], 2), {0, -1, 1, 0, 50, -20});  // turned about point 11
  const std::vector<Element> tspans = elements(svg, "tspan");
  ASSERT_EQ(tspans.size(), 1u);
  EXPECT_EQ(tspans[0].text, "Ø10");
  EXPECT_NEAR(text_length(tspans[0].number("y"), 2), 2, 1e-6)
      << "top alignment: the baseline a height below the point";
}

TEST(SvgPicture, MtextLinesAreStackedFromTheAttachmentPoint) {
  Database db;
  // Attached at its bottom right.
  db.add_entity(with(mtext_record("0", {0, 0, 0}, 3, "first\\Psecond"), Group::integer(71, 9)));
  const std::string svg = render_svg(db);
  EXPECT_EQ(elements(svg, "text").at(0).at("text-anchor"), "end");
  const std::vector<Element> tspans = elements(svg, "tspan");
  ASSERT_EQ(tspans.size(), 2u);
  EXPECT_EQ(tspans[0].text, "first");
  EXPECT_EQ(tspans[1].text, "second");
  // The last line sits on the attachment point; the first a line pitch (5/3 of the height) above.
  EXPECT_NEAR(text_length(tspans[1].number("y"), 3), 0, 1e-6);
  EXPECT_NEAR(text_length(tspans[0].number("y"), 3), -5, 1e-6);
}

TEST(SvgPicture, SolidsAreFilledWidePolylinesWideAndPointsDotsExceptWhereTheHostDoesNotPlot) {
  Database db;
  add_layers(
      db, {layer_record("Defpoints", 7), with(layer_record("NOPLOT", 7), Group::integer(290, 0))});
  db.add_entity(
      Record{"SOLID",
             {Group::point(10, {0, 0, 0}), Group::point(11, {10, 0, 0}),
              Group::point(12, {0, 10, 0}), Group::point(13, {10, 10, 0}), Group::integer(62, 1)}});
  db.add_entity(Record{"POINT", {Group::point(10, {20, 20, 0})}});
  db.add_entity(Record{"POINT", {Group::text(8, "DEFPOINTS"), Group::point(10, {30, 30, 0})}});
  db.add_entity(line_record("NOPLOT", {0, 0, 0}, {30, 0, 0}));
  db.add_entity(Record{"LWPOLYLINE",
                       {Group::integer(90, 2), Group::real(43, 0.5), Group::point(10, {0, 5, 0}, 2),
                        Group::point(10, {10, 5, 0}, 2)}});
  const std::string svg = render_svg(db);
  const std::vector<Element> paths = elements(svg, "path");
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0].at("fill"), "#ff0000");
  EXPECT_EQ(paths[1].at("stroke-width"), "0.5");
  const std::vector<Element> dots = elements(svg, "circle");
  ASSERT_EQ(dots.size(), 1u);
  EXPECT_EQ(dots[0].at("cx"), "20");
  EXPECT_EQ(dots[0].at("cy"), "-20");
  EXPECT_GT(dots[0].number("r"), 0);
}

TEST(SvgPicture, SpecialCharactersInTextAreEscaped) {
  Database db;
  db.add_entity(text_record("0", {0, 0, 0}, 1, "a<b & c>\"d\"\x01\xff"));
  const std::string svg = render_svg(db);
  EXPECT_NE(svg.find(">a&lt;b &amp; c&gt;&quot;d&quot;\uFFFD</tspan>"), std::string::npos);
  EXPECT_EQ(svg.find("a<b"), std::string::npos);
  EXPECT_EQ(svg.find('\x01'), std::string::npos);
}

TEST(SvgPicture, SameDrawingGivesSameBytes) {
  Database first;
  Database second;
  for (Database* db : {&first, &second}) {
    add_sample(*db);
    add_block_b(*db);
    db->add_entity(insert_record("PARTS", {7, 7, 0}, 0.3, 0.7));
  }
  const std::string svg = render_svg(first);
  EXPECT_EQ(render_svg(first), svg);
  EXPECT_EQ(render_svg(second), svg);
}

TEST(SvgPicture, EmptyDrawingGivesSmallValidPicture) {
  Database db;
  add_layers(db, {layer_record("OFF", -1)});
  db.add_entity(line_record("OFF", {0, 0, 0}, {1, 1, 0}));
  const std::string svg = render_svg(db);
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  EXPECT_TRUE(elements(svg, "path").empty());
  const Extents box = extents(svg);
  EXPECT_GT(box.right, box.left);
  EXPECT_GT(box.top, box.bottom);
}

}  // namespace
}  // namespace cad::testing
