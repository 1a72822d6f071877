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

// Each run with the height and alignment its codes give (bottom unless a code says otherwise).
TEST(MtextCodes, RunsTakeTheHeightAndAlignmentOfTheirCodes) {
  const TextLine suffixed = {{"12.50", kHeight}, {"5", 0.6 * kHeight, RunAlignment::kTop}};
  const std::pair<std::string_view, std::vector<TextLine>> cases[] = {
      // The dimension suffix, a smaller run at the top, with or without the semicolons.
      {"12.50{\\A2\\H0.6x5}", {suffixed}},
      {"12.50{\\A2;\\H0.6x;5}", {suffixed}},
      // Heights absolute or relative; braces restore them.
      {"a\\H5;b{\\H0.5x;c}d\\H2xe", {{{"a", kHeight}, {"b", 5}, {"c", 2.5}, {"d", 5}, {"e", 10}}}},
      // The alignment stays until changed; an unbalanced brace is harmless.
      {"}\\A1x\\A0;y", {{{"x", kHeight, RunAlignment::kCenter}, {"y", kHeight}}}},
      // Paragraphs make lines; an empty line has no runs.
      {"one\\P\\Pthree\\Xbelow",
       {{{"one", kHeight}}, {}, {{"three", kHeight}}, {{"below", kHeight}}}},
  };
  for (const auto& [contents, lines] : cases)
    EXPECT_EQ(parse_mtext(contents, kHeight), lines) << contents;
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
