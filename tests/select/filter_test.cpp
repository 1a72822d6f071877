// Filter lists: names and patterns, logical groups, relational operators, extended data tests,
// the values the host assumes for missing groups, and the errors of malformed lists.
#include "cad/select/filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/drawing.h"

namespace cad {
namespace {

using testing::Drawing;
using testing::integer;
using testing::point;
using testing::real;
using testing::text;

Group op(const std::string& name) { return text(-4, name); }

std::vector<RecordId> matching(const Database& db, const std::vector<Group>& filter) {
  const CompiledFilter compiled = compile_filter(filter);
  EXPECT_TRUE(compiled.valid()) << compiled.error();
  std::vector<RecordId> ids;
  for (RecordId id : db.entities()) {
    if (compiled.matches(db, id)) ids.push_back(id);
  }
  return ids;
}

using Ids = std::vector<RecordId>;

// Lines, circles of several radii and a polyline on a few layers.
class FilterTest : public ::testing::Test {
 protected:
  FilterTest() {
    line = drawing.add(
        "LINE", {text(8, "WALLS"), point(10, {0, 0, 0}), point(11, {5, 5, 0}), integer(62, 1)});
    small = drawing.add("CIRCLE", {text(8, "Doors"), point(10, {1, 2, 0}), real(40, 1.5)});
    big = drawing.add("CIRCLE", {text(8, "walls-old"), point(10, {4, 6, 3}), real(40, 8)});
    // No layer group: the host reads it as layer "0", colour BYLAYER.
    poly = drawing.add("LWPOLYLINE", {integer(70, 5), Group::point(10, {0, 0, 0}, 2),
                                      Group::point(10, {7, 9, 0}, 2)});
  }

  Drawing drawing;
  RecordId line;
  RecordId small;
  RecordId big;
  RecordId poly;
};

TEST_F(FilterTest, EachKindOfItemSelectsItsEntities) {
  const Ids all = {line, small, big, poly};
  struct Case {
    const char* name;
    std::vector<Group> filter;
    Ids expected;
  };
  const std::vector<Case> cases = {
      {"empty filter", {}, all},
      {"type ignores case", {text(0, "circle")}, {small, big}},
      {"type alternatives", {text(0, "line,LWPOLY*")}, {line, poly}},
      {"type pattern", {text(0, "*LINE")}, {line, poly}},
      {"layer pattern", {text(8, "wall*")}, {line, big}},
      {"negated layer pattern", {text(8, "~wall*")}, {small, poly}},
      {"layer ?", {text(8, "walls-???")}, {big}},
      {"layer brackets", {text(8, "[dw]*")}, {line, small, big}},
      {"RTDXF0 names the type", {text(5020, "CIRCLE"), text(8, "DOORS")}, {small}},
      // Missing groups take the host's defaults.
      {"default layer", {text(8, "0")}, {poly}},
      {"default colour", {integer(62, 256)}, {small, big, poly}},
      {"default linetype", {text(6, "bylayer")}, all},
      {"default space", {integer(67, 0)}, all},
      {"default extrusion", {point(210, {0, 0, 1})}, all},
      {"no default radius", {op("<"), real(40, 100)}, {small, big}},
      // Lines, or circles larger than 2.
      {"nested or/and",
       {op("<or"), text(0, "LINE"), op("<and"), text(0, "CIRCLE"), op(">"), real(40, 2), op("and>"),
        op("or>")},
       {line, big}},
      {"not", {op("<NOT"), text(0, "CIRCLE"), op("NOT>")}, {line, poly}},
      {"xor", {op("<Xor"), text(8, "WALL*"), text(0, "CIRCLE"), op("xor>")}, {line, small}},
      {"not/or/and/not",
       {op("<not"), op("<or"), text(8, "doors"), op("<and"), op("<not"), text(0, "LWPOLYLINE"),
        op("not>"), integer(62, 1), op("and>"), op("or>"), op("not>")},
       {big, poly}},
      {"<", {op("<"), real(40, 8)}, {small}},
      {"<=", {op("<="), real(40, 8)}, {small, big}},
      {">=", {op(">="), real(40, 1.5)}, {small, big}},
      {"!=", {op("!="), real(40, 1.5)}, {big}},
      {"/=", {op("/="), real(40, 1.5)}, {big}},
      {"<>", {op("<>"), real(40, 8)}, {small}},
      {"integer <", {op("<"), integer(62, 256)}, {line}},
      // The polyline's flags are 5 (closed, bit 4).
      {"& bit", {op("&"), integer(70, 4)}, {poly}},
      {"& any bit", {op("&"), integer(70, 6)}, {poly}},
      {"&= all bits", {op("&="), integer(70, 5)}, {poly}},
      {"&= missing bit", {op("&="), integer(70, 6)}, {}},
      {"& no bit", {op("&"), integer(70, 2)}, {}},
      // The polyline's second vertex (7,9) passes too.
      {"point >,>,*", {op(">,>,*"), point(10, {0.5, 1, 100})}, {small, big, poly}},
      {"point >,>", {op(">,>"), point(10, {0.5, 1, 0})}, {small, big, poly}},
      {"point *,>=,>", {op("*,>=,>"), point(10, {0, 6, 0})}, {big}},
      {"point equal", {point(10, {1, 2, 0})}, {small}},
      // A single inequality asks that the points differ, not every coordinate.
      {"point !=", {text(0, "CIRCLE"), op("!="), point(10, {1, 0, 0})}, {small, big}},
      // A single ordering must hold for every coordinate: the big circle fails on x alone.
      {"point <", {op("<"), point(10, {4, 7, 4})}, {line, small, poly}},
      {"repeated group, any matches", {Group::point(10, {7, 9, 0}, 2)}, {poly}},
      {"* holds without the group", {op("*"), real(40, 0)}, all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(matching(drawing.db, c.filter), c.expected);
  }
}

TEST_F(FilterTest, RealsEqualWithinRounding) {
  // 0.1 + 0.2 is not 0.3 in binary; a radius computed one way must still equal the typed value.
  const RecordId computed = drawing.circle({0, 0, 0}, 0.1 + 0.2);
  EXPECT_EQ(matching(drawing.db, {real(40, 0.3)}), (Ids{computed}));
  EXPECT_EQ(matching(drawing.db, {op(">"), real(40, 0.3), op("<"), real(40, 1)}), Ids{});
  EXPECT_EQ(matching(drawing.db, {op("<="), real(40, 0.3)}), (Ids{computed}));
}

TEST(FilterXdataTest, ApplicationsByNameAndPattern) {
  Drawing drawing;
  Record tagged{"LINE", {text(8, "0")}};
  tagged.set_xdata("DULK", {text(1000, "chain")});
  tagged.set_xdata("$TEMP", {integer(1070, 1)});
  const RecordId both = drawing.db.add_entity(tagged);
  Record one{"LINE", {text(8, "0")}};
  one.set_xdata("$OTHER", {});
  const RecordId other = drawing.db.add_entity(one);
  const RecordId none = drawing.line({0, 0, 0}, {1, 1, 0});

  const Database& db = drawing.db;
  EXPECT_EQ(matching(db, {integer(-3, 0), text(1001, "DULK")}), (Ids{both}));
  EXPECT_EQ(matching(db, {integer(-3, 0), text(1001, "dulk")}), (Ids{both}));
  EXPECT_EQ(matching(db, {integer(-3, 0), text(1001, "$*")}), (Ids{both, other}));
  EXPECT_EQ(matching(db, {integer(-3, 0), text(1001, "NOAPP")}), Ids{});
  // Every name after -3 must be present.
  EXPECT_EQ(matching(db, {integer(-3, 0), text(1001, "DULK"), text(1001, "$OTHER")}), Ids{});
  EXPECT_EQ(matching(db, {integer(-3, 0), text(1001, "DULK,$OTHER")}), (Ids{both, other}));
  EXPECT_EQ(matching(db, {op("<not"), integer(-3, 0), text(1001, "*"), op("not>")}), (Ids{none}));
  // Extended data values are no entity groups: 1000 "chain" is not a text group 1.
  EXPECT_EQ(matching(db, {text(1, "chain")}), Ids{});
}

TEST(FilterErrorTest, MalformedListsAreRejectedWithTheItem) {
  struct Case {
    std::vector<Group> filter;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{op("<or"), text(0, "LINE")}, "filter item 1: \"<or\" has no closing \"or>\""},
      {{text(0, "LINE"), op("and>")}, "filter item 2: \"and>\" closes no group"},
      {{op("<or"), text(0, "LINE"), op("and>")}, "filter item 3"},
      {{op("<not"), text(0, "A"), text(0, "B"), op("not>")}, "exactly one operand"},
      {{op("<xor"), text(0, "A"), op("xor>")}, "exactly two operands"},
      {{op("<and"), op("and>")}, "is empty"},
      {{text(0, "LINE"), op(">")}, "filter item 2: operator \">\" is not followed"},
      {{op(">"), op("<or"), text(0, "A"), op("or>")}, "must be followed by a value item"},
      {{op("&"), real(40, 1)}, "integer groups only"},
      {{op("<"), text(8, "A")}, "does not apply to text"},
      {{op(">,>"), real(40, 1)}, "not a point"},
      {{op("~"), real(40, 1)}, "unknown operator"},
      {{text(1001, "DULK")}, "outside a -3 group"},
      {{integer(-3, 0), text(0, "LINE")}, "application names"},
      {{text(1000, "x")}, "use -3"},
      {{integer(-1, 0)}, "cannot be filtered"},
  };
  Drawing drawing;
  const RecordId id = drawing.line({0, 0, 0}, {1, 0, 0});
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(filter_valid(c.filter, &error)) << c.message;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    // An invalid filter selects nothing, even where its readable part would match.
    EXPECT_FALSE(filter_matches(drawing.db, id, c.filter, &error)) << c.message;
  }
  std::string error = "stale";
  EXPECT_TRUE(filter_valid({op("<OR"), text(0, "A"), op("Or>")}, &error));
  EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace cad
