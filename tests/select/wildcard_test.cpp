// Wildcard matching: each rule of the host's patterns, checked on a table of pattern, text and
// answer.
#include "cad/select/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace cad {
namespace {

struct Case {
  std::string_view pattern;
  std::string_view text;
  bool expected;
};

void expect_cases(const std::vector<Case>& cases, bool ignore_case) {
  for (const Case& c : cases) {
    EXPECT_EQ(wildcard_match(c.pattern, c.text, ignore_case), c.expected)
        << "pattern \"" << c.pattern << "\" text \"" << c.text << "\" ignore_case " << ignore_case;
  }
}

TEST(WildcardTest, EachRuleOfThePatterns) {
  // Runs and single characters.
  const std::vector<Case> runs = {
      {"*", "", true},         {"*", "anything", true},  {"A*B", "AxxB", true},
      {"A*B", "AxxBx", false}, {"*B*B", "aBcBdB", true}, {"?", "", false},
      {"?", "Q", true},        {"A?C", "ABC", true},     {"A?C", "AC", false},
      {"", "", true},          {"", "A", false},         {"ABC", "ABCD", false}};
  // Digit letter and other classes.
  const std::vector<Case> classes = {{"#", "7", true}, {"#", "x", false}, {"L##", "L1a", false},
                                     {"@", "q", true}, {"@", "5", false}, {"@", "_", false},
                                     {".", "-", true}, {".", "a", false}, {"A.B", "A B", true}};
  // Multi byte characters count as one: Ä and Cyrillic Zhe are letters, the degree sign and the
  // en dash neither letters nor digits, the multiplication sign no letter; a byte that is not
  // UTF-8 stands for itself.
  const std::vector<Case> multibyte = {{"?", "\u00C4", true},   {"@", "\u00C4", true},
                                       {"@", "\u0416", true},   {".", "\u00B0", true},
                                       {".", "\u2013", true},   {"@", "\u00D7", false},
                                       {"?B", "\u20ACB", true}, {"[\u00C4\u00D6]", "\u00D6", true},
                                       {"??", "\u00C4", false}, {"?", "\xFF", true}};
  // Brackets hold one of their characters.
  const std::vector<Case> brackets = {
      {"[AB]C", "AC", true},   {"[AB]C", "CC", false},        {"[A-F]1", "D1", true},
      {"[A-F]1", "G1", false}, {"test[4-61]", "test1", true}, {"test[4-61]", "test7", false},
      {"[*?]", "*", true},     {"[]A]", "]", true},           {"[-A]", "-", true},
      {"[A-]", "-", true},     {"[F-A]", "C", false},         {"[A,B]", "A", true},
      {"[A,B]", ",", true},    {"[AB", "[AB", true}};
  // Tilde in brackets excludes its characters.
  const std::vector<Case> excluded = {{"[~AB]C", "XC", true},
                                      {"[~AB]C", "AC", false},
                                      {"[~A-F]", "C", false},
                                      {"[~A-F]", "", false},
                                      {"[A~B]", "~", true}};
  // Back quote makes the next character literal.
  const std::vector<Case> literal = {
      {"`*", "*", true}, {"`*", "A", false},  {"*`,*", "A,B", true}, {"*`,*", "AB", false},
      {"`#", "#", true}, {"`~A", "~A", true}, {"A`", "A`", true},    {"``", "`", true}};
  // Back quote star selects anonymous blocks.
  const std::vector<Case> anonymous = {{"`**", "*U12", true},         {"`**", "*D3", true},
                                       {"`**", "*Model_Space", true}, {"`**", "U12", false},
                                       {"`*D*", "*D3", true},         {"$*", "$DIMSTYLE", true},
                                       {"$*", "DIM$", false}};
  // Comma separates alternatives.
  const std::vector<Case> alternatives = {{"ABC,XYZ*,*end", "ABC", true},
                                          {"ABC,XYZ*,*end", "the end", true},
                                          {"ABC,XYZ*,*end", "ABCD", false},
                                          {"A,", "", true},
                                          {"A,", "B", false}};
  // Leading tilde negates the whole pattern.
  const std::vector<Case> negated = {{"~*AB*", "XABY", false},
                                     {"~*AB*", "XAY", true},
                                     {"~0,DEFPOINTS", "0", false},
                                     {"~0,DEFPOINTS", "DEFPOINTS", false},
                                     {"~0,DEFPOINTS", "WALLS", true},
                                     {"~", "", false},
                                     {"A~B", "A~B", true},
                                     {"A,~B", "~B", true},
                                     {"A,~B", "C", false}};
  for (const auto* rule : {&runs, &classes, &multibyte, &brackets, &excluded, &literal, &anonymous,
                           &alternatives, &negated})
    expect_cases(*rule, false);
}

TEST(WildcardTest, CaseMattersOnlyWhenAsked) {
  const std::vector<Case> exact = {
      {"abc", "ABC", false}, {"[a-c]", "B", false}, {"[~a-c]", "B", true}, {"~abc", "ABC", true}};
  expect_cases(exact, false);
  const std::vector<Case> folded = {
      {"abc", "ABC", true},   {"[a-c]", "B", true},
      {"[A-C]", "b", true},   {"[~a-c]", "B", false},
      {"~abc", "ABC", false}, {"\u00E4", "\u00C4", false}};  // only ASCII folds
  expect_cases(folded, true);
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
