// Text codes on their own: MTEXT formatting codes with and without their closing ";", new lines,
// stacks, literals and ignored codes, and the %% codes of single-line text.
#include "cad/render/text_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cad {
namespace {

constexpr double kHeight = 2.5;

TEST(MtextCodes, DimensionSuffixIsSmallerRunAtTopWithOrWithoutSemicolons) {
  const std::vector<TextLine> expected = {
      {{"12.50", kHeight, RunAlignment::kBottom}, {"5", 0.6 * kHeight, RunAlignment::kTop}}};
  EXPECT_EQ(parse_mtext("12.50{\\A2\\H0.6x5}", kHeight), expected);
  EXPECT_EQ(parse_mtext("12.50{\\A2;\\H0.6x;5}", kHeight), expected);
}

TEST(MtextCodes, HeightIsAbsoluteOrRelativeAndBracesRestoreIt) {
  const std::vector<TextLine> lines = parse_mtext("a\\H5;b{\\H0.5x;c}d\\H2xe", kHeight);
  const std::vector<TextLine> expected = {{{"a", kHeight, RunAlignment::kBottom},
                                           {"b", 5, RunAlignment::kBottom},
                                           {"c", 2.5, RunAlignment::kBottom},
                                           {"d", 5, RunAlignment::kBottom},
                                           {"e", 10, RunAlignment::kBottom}}};
  EXPECT_EQ(lines, expected);
}

TEST(MtextCodes, AlignmentStaysUntilChangedAndUnbalancedBraceIsHarmless) {
  const std::vector<TextLine> lines = parse_mtext("}\\A1x\\A0;y", kHeight);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 2u);
  EXPECT_EQ(lines[0][0].alignment, RunAlignment::kCenter);
  EXPECT_EQ(lines[0][1].alignment, RunAlignment::kBottom);
}

TEST(MtextCodes, ParagraphsMakeLinesAndEmptyLinesHaveNoRuns) {
  const std::vector<TextLine> lines = parse_mtext("one\\P\\Pthree\\Xbelow", kHeight);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0][0].text, "one");
  EXPECT_TRUE(lines[1].empty());
  EXPECT_EQ(lines[2][0].text, "three");
  EXPECT_EQ(lines[3][0].text, "below");
}

std::string flat(std::string_view contents) {
  std::string out;
  for (const TextLine& line : parse_mtext(contents, kHeight)) {
    if (!out.empty()) out += '|';
    for (const TextRun& run : line) out += run.text;
  }
  return out;
}

TEST(MtextCodes, StacksLiteralsIgnoredAndPercentCodes) {
  const std::vector<std::pair<std::string_view, std::string>> cases = {
      // Stacks are drawn as fractions.
      {"1\\S1/2;\"", "11/2\""},
      {"10\\S+0.1^-0.2;", "10+0.1/-0.2"},
      {"\\S3#4", "3/4"},
      {"\\Sa\\/b^c;d", "a/b/cd"},
      // Escaped characters are literals; an unknown code stays as written.
      {"a\\\\b\\{c\\}d", "a\\b{c}d"},
      {"1\\~2", "1\u00A02"},
      {"\\U+00B0C", "\u00B0C"},
      {"end\\", "end\\"},
      {"a\\Zb", "a\\Zb"},
      // Font, colour and line codes are ignored.
      {"\\fArial|b1|i0;\\C1;\\c255;\\W0.8;\\Q15;\\T1.1x\\pxi-3;\\Lunder\\l\\Oover\\o\\Kstrike\\k",
       "underoverstrike"},
      {"\\C1red", "red"},
      {"%%c10\\P45%%d", "Ø10|45°"},
  };
  for (const auto& [contents, text] : cases) EXPECT_EQ(flat(contents), text) << contents;
}

TEST(TextCodes, PercentCodesBecomeSymbolsAndTextWithoutCodesIsUnchanged) {
  const std::vector<std::pair<std::string_view, std::string>> cases = {
      {"%%c25 %%p0.1 90%%D", "Ø25 ±0.1 90°"},
      {"100%%%", "100%"},
      {"%%uunder%%u %%oover%%o", "under over"},
      {"%%065%%066", "AB"},
      {"\\U+2300", "\u2300"},
      {"50% of %%", "50% of %%"},
      {"%%z", "%%z"},
      {"a\\Pb", "a\\Pb"},
  };
  for (const auto& [contents, text] : cases) EXPECT_EQ(decode_text(contents), text) << contents;
}

}  // namespace
}  // namespace cad
