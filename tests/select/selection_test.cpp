// Selection sets and the scans: fences over lines, arcs and closing segments, windows against
// crossing windows, picks by distance, and which objects each scan is allowed to see.
#include "cad/select/selection.h"

#include <gtest/gtest.h>

#include <vector>

#include "cad/shapes/shapes.h"
#include "cad/types/entity_types.h"
#include "tests/support/drawing.h"

namespace cad {
namespace {

using testing::Drawing;
using testing::integer;
using testing::point;
using testing::real;
using testing::text;

using Ids = std::vector<RecordId>;

const CompiledFilter kNoFilter;

Ids fence(const Database& db, std::vector<Vec3> points) {
  return select_fence(db, points, kNoFilter);
}

TEST(SelectionSetsTest, SetsKeepOrderWithoutDuplicatesAndFreedNumbersStayDead) {
  SelectionSets sets;
  const int64_t a = sets.create();
  const int64_t b = sets.create({7, 3, 7, 5});
  EXPECT_NE(a, b);
  EXPECT_EQ(sets.size(b), 3u);
  EXPECT_EQ(sets.at(b, 1), 3u);
  EXPECT_EQ(sets.at(b, 3), kNoRecord);
  EXPECT_FALSE(sets.add(b, 3));
  EXPECT_TRUE(sets.remove(b, 3));
  EXPECT_FALSE(sets.contains(b, 3));
  EXPECT_EQ(sets.at(b, 1), 5u);
  EXPECT_TRUE(sets.add(a, 3));
  EXPECT_EQ(sets.live_ids(), (std::vector<int64_t>{a, b}));
  // Freed numbers stay dead.
  EXPECT_TRUE(sets.free(a));
  EXPECT_FALSE(sets.free(a));
  EXPECT_FALSE(sets.exists(a));
  EXPECT_FALSE(sets.add(a, 2));
  EXPECT_EQ(sets.size(a), 0u);
  EXPECT_EQ(sets.at(a, 0), kNoRecord);
  const int64_t c = sets.create();
  EXPECT_NE(c, a);
  EXPECT_EQ(sets.live_ids(), (std::vector<int64_t>{b, c}));
}

// Lines, a bulge arc, a closed and an open polyline, and one seen from below, each at its own
// height; each fence with what it crosses or touches.
TEST(FenceTest, CrossesLinesArcsAndClosingSegments) {
  Drawing d;
  const RecordId vertical = d.line({5, 0, 0}, {5, 10, 0});
  const RecordId ending = d.line({0, 20, 0}, {3, 20, 0});
  d.line({20, 0, 0}, {20, 10, 0});
  // Clockwise from (0,100) to (10,100): the half circle above the chord, up to (5,105).
  const RecordId arc = d.lwpolyline({{0, 100}, {10, 100}}, {-1}, false);
  const RecordId closed = d.lwpolyline({{0, 200}, {10, 200}, {10, 210}, {0, 210}}, {}, true);
  const RecordId open = d.lwpolyline({{20, 200}, {30, 200}, {30, 210}, {20, 210}}, {}, false);
  const RecordId below = d.lwpolyline({{2, 300}, {2, 310}}, {}, false, {0, 0, -1});
  const struct {
    const char* what;
    std::vector<Vec3> fence;
    Ids found;
  } cases[] = {
      {"across one line to the end of another",
       {{0, 5, 0}, {10, 5, 0}, {3, 20, 0}},
       {vertical, ending}},
      {"a single point", {{0, 5, 0}}, {}},
      {"through the arc", {{5, 104, 0}, {5, 106, 0}}, {arc}},
      {"through the chord only", {{5, 99, 0}, {5, 102, 0}}, {}},
      // The left sides, from the last vertex back to the first.
      {"the closing segment", {{-1, 205, 0}, {1, 205, 0}}, {closed}},
      {"where the open one has none", {{19, 205, 0}, {21, 205, 0}}, {}},
      {"a side of the open one", {{29, 205, 0}, {31, 205, 0}}, {open}},
      {"the mirrored side", {{-3, 305, 0}, {-1, 305, 0}}, {below}},
      {"the side unmirrored", {{1, 305, 0}, {3, 305, 0}}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(fence(d.db, c.fence), c.found) << c.what;
}

// One visible line and lines on an off layer, a frozen layer, in paper space, invisible, erased,
// all crossing x = 5 between y = 0 and y = 10.
class VisibilityTest : public ::testing::Test {
 protected:
  VisibilityTest() {
    d.add_layer("OFF", -3);
    d.add_layer("FROZEN", 7, 1);
    shown = d.line({0, 1, 0}, {10, 1, 0});
    off = d.line({0, 2, 0}, {10, 2, 0}, "off");
    frozen = d.line({0, 3, 0}, {10, 3, 0}, "FROZEN");
    paper = d.add("LINE", {integer(67, 1), point(10, {0, 4, 0}), point(11, {10, 4, 0})});
    invisible = d.add("LINE", {integer(60, 1), point(10, {0, 5, 0}), point(11, {10, 5, 0})});
    erased = d.line({0, 6, 0}, {10, 6, 0});
    d.db.set_erased(erased, true);
  }

  Drawing d;
  RecordId shown, off, frozen, paper, invisible, erased;
};

// "All" includes hidden layers and paper space; graphic selections see only visible model space.
TEST_F(VisibilityTest, AllIncludesHiddenLayersAndPaperSpaceGraphicSelectionsDoNot) {
  EXPECT_EQ(select_all(d.db, kNoFilter), (Ids{shown, off, frozen, paper, invisible}));
  EXPECT_EQ(fence(d.db, {{5, 0, 0}, {5, 10, 0}}), (Ids{shown}));
  EXPECT_EQ(select_window(d.db, {-1, -1, 0}, {11, 11, 0}, kNoFilter), (Ids{shown}));
  EXPECT_EQ(select_crossing(d.db, {4, 0, 0}, {6, 10, 0}, kNoFilter), (Ids{shown}));
  EXPECT_EQ(pick(d.db, {5, 2, 0}, 0.1), kNoRecord);
  EXPECT_EQ(pick(d.db, {5, 3, 0}, 0.1), kNoRecord);
  EXPECT_EQ(pick(d.db, {5, 1, 0}, 0.1), shown);
  EXPECT_EQ(last(d.db), shown);
}

TEST(SelectAllTest, PartsOfPolylinesAndInsertsAreNotSelected) {
  Drawing d;
  const RecordId poly = d.add("POLYLINE", {integer(66, 1), integer(70, 0)});
  d.add("VERTEX", {point(10, {0, 0, 0})});
  d.add("VERTEX", {point(10, {1, 0, 0})});
  d.add("SEQEND", {});
  const RecordId insert = d.add("INSERT", {text(2, "NONE"), integer(66, 1)});
  d.add("ATTRIB", {point(10, {0, 0, 0}), real(40, 1), text(1, "A")});
  d.add("SEQEND", {});
  EXPECT_EQ(select_all(d.db, kNoFilter), (Ids{poly, insert}));
  EXPECT_EQ(select_all(d.db, compile_filter({text(0, "VERTEX")})), Ids{});
}

// Filters that ask for an application's extended data are answered from the database's index:
// the same entities, in the same order, as testing every entity gives, and only the index's
// entities looked at.
TEST(SelectAllTest, FiltersNamingAnApplicationFindWhatTestingEveryEntityFinds) {
  Drawing d;
  const std::vector<std::string> apps = {"PLAN", "$1A", "$2B", "plan2"};
  for (size_t k = 0; k < 120; ++k) {
    Record line{"LINE", {text(8, "0"), point(10, {double(k), 0, 0}), point(11, {double(k), 1, 0})}};
    if (k % 4 != 3) line.set_xdata(apps[k % apps.size()], {text(1000, "x")});
    if (k % 10 == 0) line.set_xdata("PLAN", {text(1000, "also")});
    if (k % 7 == 0) line.groups.push_back(integer(67, 1));
    const RecordId id = d.db.add_entity(line);
    if (k % 11 == 0) d.db.set_erased(id, true);
  }
  d.add("POLYLINE", {integer(66, 1)});
  Record vertex{"VERTEX", {point(10, {0, 0, 0})}};
  vertex.set_xdata("PLAN", {text(1000, "part")});
  d.db.add_entity(vertex);
  d.add("SEQEND", {});

  const std::vector<std::vector<Group>> filters = {
      {integer(-3, 0), text(1001, "PLAN")},
      {integer(-3, 0), text(1001, "plan")},
      {text(0, "LINE"), integer(-3, 0), text(1001, "$*")},
      {integer(-3, 0), text(1001, "~$*")},
      {integer(-3, 0), text(1001, "P*,$1A")},
      {integer(-3, 0), text(1001, "PLAN"), text(1001, "$*")},
      {integer(-3, 0), text(1001, "NONE")},
      {text(-4, "<or"), integer(-3, 0), text(1001, "PLAN"), text(0, "CIRCLE"), text(-4, "or>")},
      {text(-4, "<not"), integer(-3, 0), text(1001, "PLAN"), text(-4, "not>")},
  };
  for (const std::vector<Group>& filter : filters) {
    Ids expected;
    for (RecordId id : d.db.entities())
      if (!d.db.erased(id) && !is_entity_part(d.db.record(id).type) &&
          filter_matches(d.db, id, filter, nullptr))
        expected.push_back(id);
    const CompiledFilter compiled = compile_filter(filter);
    EXPECT_EQ(select_all(d.db, compiled), expected) << filter.back().s();
    const Ids window = select_window(d.db, {-1, -1, 0}, {200, 2, 0}, compiled);
    Ids shown;
    for (RecordId id : expected)
      if (d.db.record(id).integer(67) != 1) shown.push_back(id);
    EXPECT_EQ(window, shown) << filter.back().s();
  }
  // PLAN: 30 entities of their own and 12 more that carry it besides.
  const uint64_t before = d.db.visits();
  select_all(d.db, compile_filter({integer(-3, 0), text(1001, "PLAN")}));
  EXPECT_LE(d.db.visits() - before, 3u * 43);
}

TEST(PickTest, NearestWithinToleranceNewestOfCoincidingArcsAndInsideOfText) {
  Drawing d;
  const RecordId low = d.line({0, 0, 0}, {10, 0, 0});
  d.line({0, 1, 0}, {10, 1, 0});
  const RecordId newer = d.line({0, 1, 0}, {10, 1, 0});
  const RecordId circle = d.circle({50, 0, 0}, 5);
  const RecordId label = d.text_entity({20, 0, 0}, 2, "ABCDE");
  // The circle's centre is far from its curve.
  const std::pair<Vec3, RecordId> picks[] = {{{5, 0.3, 0}, low},        {{5, 0.7, 0}, newer},
                                             {{5, -0.6, 0}, kNoRecord}, {{10.4, 0, 0}, low},
                                             {{10.6, 0, 0}, kNoRecord}, {{50, 5.2, 0}, circle},
                                             {{50, 0, 0}, kNoRecord}};
  for (const auto& [at, picked] : picks)
    EXPECT_EQ(pick(d.db, at, 0.5), picked) << at.x << "," << at.y;
  EXPECT_EQ(pick(d.db, {22, 1, 0}, 0.1), label);
}

TEST(WindowTest, WindowTakesWhatIsInsideCrossingAlsoWhatCrosses) {
  Drawing d;
  const RecordId inside = d.line({1, 1, 0}, {2, 2, 0});
  const RecordId across = d.line({5, 1, 0}, {15, 1, 0});
  const RecordId arc_through = d.lwpolyline({{-2, 12}, {12, 12}}, {1}, false);
  d.line({20, 20, 0}, {30, 30, 0});
  const RecordId around = d.text_entity({-50, -50, 0}, 200, "X");
  EXPECT_EQ(select_window(d.db, {10, 10, 0}, {0, 0, 0}, kNoFilter), (Ids{inside}));
  // The polyline's half circle dips from y = 12 below y = 10 into the window; the text box
  // holds the whole window.
  EXPECT_EQ(select_crossing(d.db, {0, 0, 0}, {10, 10, 0}, kNoFilter),
            (Ids{inside, across, arc_through, around}));
}

TEST(LastTest, NewestVisibleMainEntity) {
  Drawing d;
  d.add_layer("FROZEN", 7, 1);
  EXPECT_EQ(last(d.db), kNoRecord);
  const RecordId first = d.line({0, 0, 0}, {1, 0, 0});
  d.line({0, 0, 0}, {1, 0, 0}, "FROZEN");
  EXPECT_EQ(last(d.db), first);
  const RecordId poly = d.add("POLYLINE", {integer(66, 1), integer(70, 0)});
  d.add("VERTEX", {point(10, {0, 0, 0})});
  d.add("SEQEND", {});
  EXPECT_EQ(last(d.db), poly);
}

TEST(PickToleranceTest, ScalesWithTheDrawing) {
  Drawing empty;
  EXPECT_EQ(default_pick_tolerance(empty.db), 1e-9);
  Drawing millimetres;
  millimetres.line({0, 0, 0}, {3000, 4000, 0});
  Drawing metres;
  metres.line({0, 0, 0}, {3, 4, 0});
  EXPECT_NEAR(default_pick_tolerance(millimetres.db), 10, 1e-9);
  EXPECT_NEAR(default_pick_tolerance(metres.db), 0.01, 1e-12);
}

}  // namespace
}  // namespace cad
