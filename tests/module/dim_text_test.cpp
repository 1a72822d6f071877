// Dimension texts: rounding, length factor, raised decimals and the trimming of zeros, on the
// table of dim_text_cases.txt.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cad/base/utf8.h"
#include "chain/chain_generation.h"
#include "settings/dim_settings.h"
#include "tests/support/case_file.h"

namespace {

// The text of distance with the settings length factor, min decimals, raised after, leading zero.
std::wstring text_of(double distance, double rounding, double factor, int min, int raised,
                     int lead) {
  DimSettingsRecord settings{};
  settings.length_factor = factor;
  settings.min_decimals = min;
  settings.raised_after = raised;
  settings.leading_zero = lead;
  const std::optional<std::wstring> text = measurement_text(distance, rounding, settings);
  EXPECT_TRUE(text) << distance;
  return text.value_or(L"");
}

TEST(DimTextTest, TextsForEverySetting) {
  const std::vector<cad::testing::CaseLine> cases =
      cad::testing::read_cases("module/dim_text_cases.txt");
  for (const cad::testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where + " " + c.fields[0]);
    ASSERT_EQ(c.fields.size(), 8u);
    EXPECT_EQ(text_of(std::stod(c.fields[1]), std::stod(c.fields[2]), std::stod(c.fields[3]),
                      std::stoi(c.fields[4]), std::stoi(c.fields[5]), std::stoi(c.fields[6])),
              cad::to_wide(c.fields[7]));
  }
}

TEST(DimTextTest, HugeValueIsCutToTheTextBufferWithoutOverrun) {
  DimSettings.length_factor = 1.0;
  DimSettings.min_decimals = 2;
  DimSettings.raised_after = 2;
  DimSettings.leading_zero = 1;
  ASSERT_EQ(format_dim_text(1e250, 0.0), RTNORM);
  const std::wstring text = ChainRequest.text_buffer;
  EXPECT_EQ(text.size(), static_cast<size_t>(kTextBufferLength - 1));
  EXPECT_EQ(text.find_first_not_of(L"0123456789"), std::wstring::npos);
}

// A measurement the rounding or the factor takes past the largest double has no text, where it
// would read "inf"; at the edge of the range it still has one.
TEST(DimTextTest, MeasurementsOutOfRangeHaveNoText) {
  DimSettings.length_factor = 1.0;
  for (const auto& [distance, rounding, factor] :
       {std::array{2.38, 1e-320, 1.0}, std::array{25.0, 0.0, 1e308},
        std::array{1e300, 1e-10, 1.0}}) {
    SCOPED_TRACE(distance);
    DimSettings.length_factor = factor;
    ChainRequest.text_buffer[0] = L'x';
    EXPECT_EQ(format_dim_text(distance, rounding), RTERROR);
    EXPECT_EQ(std::wstring(ChainRequest.text_buffer), L"");
  }
  EXPECT_EQ(text_of(1.0, 0.0, 1e308, 0, 8, 1).substr(0, 4), L"1000");
}

}  // namespace
