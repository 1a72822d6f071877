// Keyword short forms and which keyword a reply picks, on the table of keyword_cases.txt; the
// list a prompt keeps picks as the parsing does.
#include "cad/input/keywords.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/case_file.h"

namespace cad {
namespace {

TEST(KeywordTest, ShortFormsAndPicksOfTheTable) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("input/keyword_cases.txt");
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    if (c.fields[0] == "short") {
      ASSERT_EQ(c.fields.size(), 3u);
      EXPECT_EQ(keyword_short_form(c.fields[1]), c.fields[2]);
      continue;
    }
    ASSERT_EQ(c.fields[0], "match");
    ASSERT_EQ(c.fields.size(), 4u);
    const std::optional<std::string> picked =
        c.fields[3] == "(none)" ? std::nullopt : std::optional<std::string>(c.fields[3]);
    EXPECT_EQ(parse_keyword_match(c.fields[1], c.fields[2]), picked);
  }
  EXPECT_EQ(KeywordList("aUssen Abstand Innen Dist").match("D"), "Dist");
}

}  // namespace
}  // namespace cad
