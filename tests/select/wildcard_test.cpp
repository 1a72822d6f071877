// Wildcard matching: each rule of the host's patterns, checked on the table of pattern, text and
// answer in wildcard_cases.txt.
#include "cad/select/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/case_file.h"

namespace cad {
namespace {

TEST(WildcardTest, EachRuleOfThePatterns) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("select/wildcard_cases.txt");
  for (const testing::CaseLine& c : cases) {
    ASSERT_GE(c.fields.size(), 3u) << c.where;
    ASSERT_TRUE(c.fields[2] == "yes" || c.fields[2] == "no") << c.where;
    const bool ignore_case = c.fields.size() > 3 && c.fields[3] == "ignoring case";
    EXPECT_EQ(wildcard_match(c.fields[0], c.fields[1], ignore_case), c.fields[2] == "yes")
        << c.where;
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
