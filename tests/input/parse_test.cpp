// Numbers and points as typed at a prompt.
#include "cad/input/parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

TEST(ParseRealTest, TakesTheFormsPeopleType) {
  const std::vector<std::pair<const char*, double>> cases = {
      {"1", 1},  {"-2.5", -2.5}, {".5", 0.5},        {"5.", 5},
      {"+3", 3}, {"1e3", 1000},  {"-2.5E-2", -0.025}};
  for (const auto& [text, value] : cases) EXPECT_EQ(parse_real(text), value) << text;
}

TEST(ParseRealTest, RefusesEverythingElse) {
  for (const char* text : {"", "-", ".", "+.", "1e", "1e+", "e3", " 1", "1 ", "1,5", "1.2.3",
                           "0x10", "inf", "nan", "1e999", "--1", "+-1", "1a", "\xC2\xBD"}) {
    EXPECT_FALSE(parse_real(text).has_value()) << text;
  }
}

TEST(ParseIntTest, TakesSignedDigitsOnly) {
  for (const auto& [text, value] : std::vector<std::pair<const char*, int64_t>>{
           {"42", 42}, {"-7", -7}, {"+7", 7}, {"-9223372036854775808", INT64_MIN}})
    EXPECT_EQ(parse_int(text), value) << text;
  for (const char* text : {"", "-", "+", "+-1", "1.0", "1e3", " 1", "9223372036854775808"}) {
    EXPECT_FALSE(parse_int(text).has_value()) << text;
  }
}

TEST(ParsePointTest, AbsoluteRelativeAndPolarPoints) {
  const Vec3 last{10, 20, 5};
  // Polar angles turn counter-clockwise from X.
  const std::vector<std::pair<const char*, Vec3>> cases = {
      {"1,2", {1, 2, 0}},       {"-1.5,.5,3", {-1.5, 0.5, 3}},
      {"1e2,0", {100, 0, 0}},   {"@1,2", {11, 22, 5}},
      {"@1,2,-5", {11, 22, 0}}, {"@", last},
      {"@0,0", last},           {"2<90", {0, 2, 0}},
      {"2<-90", {0, -2, 0}},    {"4<30", {4 * std::cos(std::numbers::pi / 6), 2, 0}},
      {"@2<180", {8, 20, 5}},   {"@1<45", {10 + std::sqrt(0.5), 20 + std::sqrt(0.5), 5}},
  };
  for (const auto& [text, point] : cases) {
    const std::optional<Vec3> parsed = parse_point(text, last);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_TRUE(near(*parsed, point)) << text;
  }
}

TEST(ParsePointTest, RefusesBlanksAndMalformedPoints) {
  const Vec3 last{};
  for (const char* text :
       {"",   "1",     "1, 2", " 1,2", "1,2 ", "1 ,2",   "1,2,3,4", "1,",  ",1",    "1,,2",
        "@1", "@@1,2", "1,2@", "<30",  "2<",   "2<30<5", "1,2<30",  "a,b", "@ 1,2", "2 <30"}) {
    EXPECT_FALSE(parse_point(text, last).has_value()) << text;
  }
}

}  // namespace
}  // namespace cad
