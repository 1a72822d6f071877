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
    const bool shorts = c.fields[0] == "short";
    ASSERT_TRUE(shorts || c.fields[0] == "match");
    for (size_t k = shorts ? 1 : 2; k < c.fields.size(); ++k) {
      const std::string& pair = c.fields[k];
      const size_t eq = pair.find('=');
      ASSERT_NE(eq, std::string::npos) << pair;
      const std::string asked = pair.substr(0, eq);
      EXPECT_EQ(shorts ? keyword_short_form(asked)
                       : parse_keyword_match(c.fields[1], asked).value_or("(none)"),
                pair.substr(eq + 1))
          << pair;
    }
  }
  EXPECT_EQ(KeywordList("aUssen Abstand Innen Dist").match("D"), "Dist");
}

}  // namespace
}  // namespace cad
