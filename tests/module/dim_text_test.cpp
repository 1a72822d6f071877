// Dimension texts: rounding, length factor, raised decimals and the trimming of zeros.
#include <gtest/gtest.h>

#include <string>

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

constexpr TextSettings kPlain{1.0, 0, 8, 1};

TEST(DimTextTest, DocumentedExamples) {
  EXPECT_EQ(text_of(12.505, 0.0, {}), L"12.50{\\A2\\H0.6x5}");
  EXPECT_EQ(text_of(0.365, 0.0, {1.0, 2, 2, 0}), L"36{\\A2\\H0.6x5}");
  EXPECT_EQ(text_of(1.0, 0.0, {}), L"1.00{\\A2\\H0.6x}");
  EXPECT_EQ(text_of(2.5, 0.0, {1.0, 2, 8, 1}), L"2.50");
  EXPECT_EQ(text_of(3.0, 0.0, kPlain), L"3");
  EXPECT_EQ(text_of(2.385, 0.0, {100.0, 0, 0, 1}), L"238{\\A2\\H0.6x5}");
  EXPECT_EQ(text_of(12.5, 1.0, kPlain), L"12");
  EXPECT_EQ(text_of(13.5, 1.0, kPlain), L"13");
}

TEST(DimTextTest, RoundingSendsHalvesDownAndKeepsMultiples) {
  EXPECT_EQ(text_of(2.25, 0.5, kPlain), L"2");
  EXPECT_EQ(text_of(2.26, 0.5, kPlain), L"2.5");
  EXPECT_EQ(text_of(2.5, 0.5, kPlain), L"2.5");
  EXPECT_EQ(text_of(12.0, 1.0, kPlain), L"12");
  EXPECT_EQ(text_of(12.51, 1.0, kPlain), L"13");
  EXPECT_EQ(text_of(0.3, 0.1, {1.0, 2, 8, 1}), L"0.30");
  EXPECT_EQ(text_of(0.7, 0.1, {1.0, 2, 8, 1}), L"0.70");
}

TEST(DimTextTest, NoRoundingAtZeroOrBelow) {
  EXPECT_EQ(text_of(12.5, 0.0, kPlain), L"12.5");
  EXPECT_EQ(text_of(12.5, -1.0, kPlain), L"12.5");
}

TEST(DimTextTest, RaisedAfterZeroRaisesEveryDecimalInPlaceOfThePoint) {
  EXPECT_EQ(text_of(5.0, 0.0, {1.0, 0, 0, 1}), L"5{\\A2\\H0.6x}");
  EXPECT_EQ(text_of(12.75, 0.0, {1.0, 0, 0, 1}), L"12{\\A2\\H0.6x75}");
}

TEST(DimTextTest, RaisedAfterSevenOrMoreRaisesNothing) {
  EXPECT_EQ(text_of(1.23456789, 0.0, {1.0, 2, 7, 1}), L"1.234568");
  EXPECT_EQ(text_of(2.5, 0.0, {1.0, 0, 7, 1}), L"2.5");
  EXPECT_EQ(text_of(2.5, 0.0, {1.0, 4, 100, 1}), L"2.5000");
  EXPECT_EQ(text_of(2.5, 0.0, {1.0, 0, -1, 1}), L"2.5");
}

TEST(DimTextTest, RaisedAfterSixLeavesAnEmptyRaisedPart) {
  EXPECT_EQ(text_of(1.23456789, 0.0, {1.0, 2, 6, 1}), L"1.234568{\\A2\\H0.6x}");
}

TEST(DimTextTest, MinDecimalsStopsTheTrimmingOfZeros) {
  EXPECT_EQ(text_of(3.0, 0.0, {1.0, 1, 8, 1}), L"3.0");
  EXPECT_EQ(text_of(3.0, 0.0, {1.0, 6, 8, 1}), L"3.000000");
  EXPECT_EQ(text_of(3.1, 0.0, {1.0, 0, 8, 1}), L"3.1");
}

TEST(DimTextTest, LeadingZeroDroppedBelowOne) {
  EXPECT_EQ(text_of(0.5, 0.0, {1.0, 0, 8, 0}), L"5");
  EXPECT_EQ(text_of(0.05, 0.0, {1.0, 2, 2, 0}), L"5{\\A2\\H0.6x}");
  EXPECT_EQ(text_of(10.5, 0.0, {1.0, 0, 8, 0}), L"10.5");
  EXPECT_EQ(text_of(0.5, 0.0, {1.0, 0, 8, 1}), L"0.5");
}

TEST(DimTextTest, ZeroKeepsItsDigitWithoutLeadingZeros) {
  EXPECT_EQ(text_of(0.0, 0.0, {1.0, 2, 8, 0}), L"0");
  EXPECT_EQ(text_of(0.0, 0.0, {1.0, 0, 8, 0}), L"0");
}

TEST(DimTextTest, RaisedPartNeverStandsAloneWithoutLeadingZeros) {
  EXPECT_EQ(text_of(0.0, 0.0, {1.0, 2, 2, 0}), L"0{\\A2\\H0.6x}");
  EXPECT_EQ(text_of(0.005, 0.0, {1.0, 2, 2, 0}), L"0{\\A2\\H0.6x5}");
  EXPECT_EQ(text_of(0.5, 0.0, {1.0, 0, 0, 0}), L"0{\\A2\\H0.6x5}");
}

TEST(DimTextTest, LengthFactorScalesAfterRounding) {
  EXPECT_EQ(text_of(1.2345, 0.0, {1000.0, 0, 8, 1}), L"1234.5");
  EXPECT_EQ(text_of(0.125, 0.0, {100.0, 2, 2, 1}), L"12.50{\\A2\\H0.6x}");
  EXPECT_EQ(text_of(1.26, 0.5, {100.0, 0, 8, 1}), L"150");
  EXPECT_EQ(text_of(0.365, 0.0, {100.0, 0, 0, 0}), L"36{\\A2\\H0.6x5}");
}

TEST(DimTextTest, LargeValuesAreWrittenInFull) {
  EXPECT_EQ(text_of(123456789.125, 0.0, {}), L"123456789.12{\\A2\\H0.6x5}");
  EXPECT_EQ(text_of(1e15, 0.0, kPlain), L"1000000000000000");
}

TEST(DimTextTest, HugeValueIsCutToTheTextBufferWithoutOverrun) {
  const std::wstring text = text_of(1e250, 0.0, {});
  EXPECT_EQ(text.size(), static_cast<size_t>(kTextBufferLength - 1));
  EXPECT_EQ(text.find_first_not_of(L"0123456789"), std::wstring::npos);
}

}  // namespace
