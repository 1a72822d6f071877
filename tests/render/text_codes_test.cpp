// Text codes on their own: MTEXT formatting codes with and without their closing ";", new lines,
// stacks, literals and ignored codes, and the %% codes of single-line text.
#include "cad/render/text_codes.h"

#include <gtest/gtest.h>

#include <string>
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

TEST(MtextCodes, StacksAreDrawnAsFractions) {
  EXPECT_EQ(flat("1\\S1/2;\""), "11/2\"");
  EXPECT_EQ(flat("10\\S+0.1^-0.2;"), "10+0.1/-0.2");
  EXPECT_EQ(flat("\\S3#4"), "3/4");
  EXPECT_EQ(flat("\\Sa\\/b^c;d"), "a/b/cd");
}

TEST(MtextCodes, EscapedCharactersAreLiterals) {
  EXPECT_EQ(flat("a\\\\b\\{c\\}d"), "a\\b{c}d");
  EXPECT_EQ(flat("1\\~2"), "1\u00A02");
  EXPECT_EQ(flat("\\U+00B0C"), "\u00B0C");
  EXPECT_EQ(flat("end\\"), "end\\");
  EXPECT_EQ(flat("a\\Zb"), "a\\Zb") << "an unknown code stays as written";
}

TEST(MtextCodes, FontColourAndLineCodesAreIgnored) {
  EXPECT_EQ(flat("\\fArial|b1|i0;\\C1;\\c255;\\W0.8;\\Q15;\\T1.1x\\pxi-3;\\Lunder\\l\\Oover\\o"
                 "\\Kstrike\\k"),
            "underoverstrike");
  EXPECT_EQ(flat("\\C1red"), "red");
}

TEST(MtextCodes, PercentCodesResolveInMtextToo) { EXPECT_EQ(flat("%%c10\\P45%%d"), "Ø10|45°"); }

TEST(TextCodes, PercentCodesBecomeSymbols) {
  EXPECT_EQ(decode_text("%%c25 %%p0.1 90%%D"), "Ø25 ±0.1 90°");
  EXPECT_EQ(decode_text("100%%%"), "100%");
  EXPECT_EQ(decode_text("%%uunder%%u %%oover%%o"), "under over");
  EXPECT_EQ(decode_text("%%065%%066"), "AB");
  EXPECT_EQ(decode_text("\\U+2300"), "\u2300");
}

TEST(TextCodes, TextWithoutCodesIsUnchanged) {
  EXPECT_EQ(decode_text("50% of %%"), "50% of %%");
  EXPECT_EQ(decode_text("%%z"), "%%z");
  EXPECT_EQ(decode_text("a\\Pb"), "a\\Pb");
}

}  // namespace
}  // namespace cad
