// Dimension texts: rounding, length factor, raised decimals and the trimming of zeros.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chain/chain_generation.h"
#include "settings/dim_settings.h"

namespace {

struct TextSettings {
  double length_factor = 1.0;
  int min_decimals = 2;
  int raised_after = 2;
  int leading_zero = 1;
};

std::wstring text_of(double distance, double rounding, const TextSettings& settings) {
  DimSettings.length_factor = settings.length_factor;
  DimSettings.min_decimals = settings.min_decimals;
  DimSettings.raised_after = settings.raised_after;
  DimSettings.leading_zero = settings.leading_zero;
  EXPECT_EQ(format_dim_text(distance, rounding), RTNORM);
  return ChainRequest.text_buffer;
}

constexpr TextSettings kDefault{};
constexpr TextSettings kPlain{1.0, 0, 8, 1};

struct TextCase {
  const char* name;
  double distance;
  double rounding;
  TextSettings settings;
  const wchar_t* text;
};

TEST(DimTextTest, TextsForEverySetting) {
  const std::vector<TextCase> cases = {
      {"documented", 12.505, 0.0, kDefault, L"12.50{\\A2\\H0.6x5}"},
      {"documented no leading zero", 0.365, 0.0, {1.0, 2, 2, 0}, L"36{\\A2\\H0.6x5}"},
      {"documented whole", 1.0, 0.0, kDefault, L"1.00{\\A2\\H0.6x}"},
      {"documented nothing raised", 2.5, 0.0, {1.0, 2, 8, 1}, L"2.50"},
      {"documented plain", 3.0, 0.0, kPlain, L"3"},
      {"documented factor 100", 2.385, 0.0, {100.0, 0, 0, 1}, L"238{\\A2\\H0.6x5}"},
      {"half down to even", 12.5, 1.0, kPlain, L"12"},
      {"half down to odd", 13.5, 1.0, kPlain, L"13"},
      {"half of a step down", 2.25, 0.5, kPlain, L"2"},
      {"above half up", 2.26, 0.5, kPlain, L"2.5"},
      {"multiple kept", 2.5, 0.5, kPlain, L"2.5"},
      {"whole multiple kept", 12.0, 1.0, kPlain, L"12"},
      {"above half of one up", 12.51, 1.0, kPlain, L"13"},
      {"tenths kept 0.3", 0.3, 0.1, {1.0, 2, 8, 1}, L"0.30"},
      {"tenths kept 0.7", 0.7, 0.1, {1.0, 2, 8, 1}, L"0.70"},
      {"no rounding at zero", 12.5, 0.0, kPlain, L"12.5"},
      {"no rounding below zero", 12.5, -1.0, kPlain, L"12.5"},
      {"raised_after 0 whole", 5.0, 0.0, {1.0, 0, 0, 1}, L"5{\\A2\\H0.6x}"},
      {"raised_after 0 replaces the point", 12.75, 0.0, {1.0, 0, 0, 1}, L"12{\\A2\\H0.6x75}"},
      {"raised_after 7", 1.23456789, 0.0, {1.0, 2, 7, 1}, L"1.234568"},
      {"raised_after 7 trimmed", 2.5, 0.0, {1.0, 0, 7, 1}, L"2.5"},
      {"raised_after 100", 2.5, 0.0, {1.0, 4, 100, 1}, L"2.5000"},
      {"raised_after -1", 2.5, 0.0, {1.0, 0, -1, 1}, L"2.5"},
      {"raised_after 6 empty raised part",
       1.23456789,
       0.0,
       {1.0, 2, 6, 1},
       L"1.234568{\\A2\\H0.6x}"},
      {"min_decimals 1", 3.0, 0.0, {1.0, 1, 8, 1}, L"3.0"},
      {"min_decimals 6", 3.0, 0.0, {1.0, 6, 8, 1}, L"3.000000"},
      {"min_decimals 0 keeps digits", 3.1, 0.0, {1.0, 0, 8, 1}, L"3.1"},
      {"leading_zero 0 dropped", 0.5, 0.0, {1.0, 0, 8, 0}, L"5"},
      {"leading_zero 0 raised", 0.05, 0.0, {1.0, 2, 2, 0}, L"5{\\A2\\H0.6x}"},
      {"leading_zero 0 above one", 10.5, 0.0, {1.0, 0, 8, 0}, L"10.5"},
      {"leading_zero 1 kept", 0.5, 0.0, {1.0, 0, 8, 1}, L"0.5"},
      {"zero keeps its digit", 0.0, 0.0, {1.0, 2, 8, 0}, L"0"},
      {"zero keeps its digit plain", 0.0, 0.0, {1.0, 0, 8, 0}, L"0"},
      {"raised part never alone at zero", 0.0, 0.0, {1.0, 2, 2, 0}, L"0{\\A2\\H0.6x}"},
      {"raised part never alone small", 0.005, 0.0, {1.0, 2, 2, 0}, L"0{\\A2\\H0.6x5}"},
      {"raised part never alone all raised", 0.5, 0.0, {1.0, 0, 0, 0}, L"0{\\A2\\H0.6x5}"},
      {"factor 1000", 1.2345, 0.0, {1000.0, 0, 8, 1}, L"1234.5"},
      {"factor 100 raised", 0.125, 0.0, {100.0, 2, 2, 1}, L"12.50{\\A2\\H0.6x}"},
      {"factor after rounding", 1.26, 0.5, {100.0, 0, 8, 1}, L"150"},
      {"factor 100 no leading zero", 0.365, 0.0, {100.0, 0, 0, 0}, L"36{\\A2\\H0.6x5}"},
      {"large", 123456789.125, 0.0, kDefault, L"123456789.12{\\A2\\H0.6x5}"},
      {"large in full", 1e15, 0.0, kPlain, L"1000000000000000"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text_of(c.distance, c.rounding, c.settings), c.text);
  }
}

TEST(DimTextTest, HugeValueIsCutToTheTextBufferWithoutOverrun) {
  const std::wstring text = text_of(1e250, 0.0, {});
  EXPECT_EQ(text.size(), static_cast<size_t>(kTextBufferLength - 1));
  EXPECT_EQ(text.find_first_not_of(L"0123456789"), std::wstring::npos);
}

}  // namespace
