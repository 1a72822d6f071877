// Filter lists: names and patterns, logical groups, relational operators, extended data tests,
// the values the host assumes for missing groups, and the errors of malformed lists.
#include "cad/select/filter.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/select/group_items.h"
#include "tests/support/case_file.h"
#include "tests/support/drawing.h"

namespace cad {
namespace {

using testing::Drawing;
using testing::integer;
using testing::items;
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

// Lines, circles of several radii and a polyline on a few layers, two with extended data.
class FilterTest : public ::testing::Test {
 protected:
  FilterTest() {
    Record tagged{"LINE",
                  {text(8, "WALLS"), point(10, {0, 0, 0}), point(11, {5, 5, 0}), integer(62, 1)}};
    tagged.set_xdata("DULK", {text(1000, "chain")});
    tagged.set_xdata("$TEMP", {integer(1070, 1)});
    line = drawing.db.add_entity(tagged);
    Record other{"CIRCLE", {text(8, "Doors"), point(10, {1, 2, 0}), real(40, 1.5)}};
    other.set_xdata("$OTHER", {});
    small = drawing.db.add_entity(other);
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

TEST_F(FilterTest, EachKindOfItemSelectsItsEntitiesAndMalformedListsAreRefused) {
  const std::map<std::string, RecordId> names = {
      {"line", line}, {"small", small}, {"big", big}, {"poly", poly}};
  const std::vector<testing::CaseLine> cases = testing::read_cases("select/filter_cases.txt");
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    if (c.fields[0] == "select") {
      ASSERT_EQ(c.fields.size(), 4u);
      Ids expected;
      std::istringstream in(c.fields[3]);
      for (std::string name; in >> name;) expected.push_back(names.at(name));
      EXPECT_EQ(matching(drawing.db, items(c.fields[2])), expected);
      continue;
    }
    ASSERT_EQ(c.fields[0], "refuse");
    ASSERT_EQ(c.fields.size(), 3u);
    const std::vector<Group> filter = items(c.fields[1]);
    std::string error;
    EXPECT_FALSE(filter_valid(filter, &error));
    EXPECT_NE(error.find(c.fields[2]), std::string::npos) << error;
    // An invalid filter selects nothing, even where its readable part would match.
    EXPECT_FALSE(filter_matches(drawing.db, line, filter, &error));
  }
  std::string error = "stale";
  EXPECT_TRUE(filter_valid({op("<OR"), text(0, "A"), op("Or>")}, &error));
  EXPECT_EQ(error, "");
}

TEST_F(FilterTest, RealsEqualWithinRounding) {
  // 0.1 + 0.2 is not 0.3 in binary; a radius computed one way must still equal the typed value.
  const RecordId computed = drawing.circle({0, 0, 0}, 0.1 + 0.2);
  EXPECT_EQ(matching(drawing.db, {real(40, 0.3)}), (Ids{computed}));
  EXPECT_EQ(matching(drawing.db, {op(">"), real(40, 0.3), op("<"), real(40, 1)}), Ids{});
  EXPECT_EQ(matching(drawing.db, {op("<="), real(40, 0.3)}), (Ids{computed}));
}

}  // namespace
}  // namespace cad
