// Wildcard matching: each rule of the host's patterns, checked on the table of patterns and the
// texts each matches or not in wildcard_cases.txt.
#include "cad/select/wildcard.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/case_file.h"

namespace cad {
namespace {

TEST(WildcardTest, EachRuleOfThePatterns) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("select/wildcard_cases.txt");
  const std::set<std::string> modes = {"yes", "no", "yes ignoring case", "no ignoring case"};
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_TRUE(c.fields.size() >= 3 && modes.contains(c.fields[1]));
    std::string mode;
    for (size_t k = 1; k < c.fields.size(); ++k) {
      if (modes.contains(c.fields[k]))
        mode = c.fields[k];
      else
        EXPECT_EQ(wildcard_match(c.fields[0], c.fields[k], mode.ends_with("ignoring case")),
                  mode.starts_with("yes"))
            << c.fields[k];
    }
  }
}

TEST(WildcardTest, LongRunsOfStarsStayFast) {
  const std::string text(2000, 'a');
  EXPECT_FALSE(wildcard_match("*a*a*a*a*a*a*a*a*b", text, false));
  EXPECT_TRUE(wildcard_match("*a*a*a*a*a*a*a*a*", text, false));
}

TEST(WildcardTest, SpecialCharactersAreRecognised) {
  for (const std::string_view text : {"A*", "?", "#1", "@", "A.B", "[AB]", "A,B", "`x", "~A"}) {
    EXPECT_TRUE(wildcard_has_special(text)) << text;
  }
  for (const std::string_view text : {"", "WALLS", "A~B", "A-B", "A]", "$DIM"}) {
    EXPECT_FALSE(wildcard_has_special(text)) << text;
    EXPECT_TRUE(wildcard_match(text, text, false)) << text;
  }
}

}  // namespace
}  // namespace cad
