// Numbers and points as typed at a prompt.
#include "cad/input/parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>

#include "tests/geom/geom_checks.h"

namespace cad {
namespace {

using testing::near;

TEST(ParseRealTest, TakesTheFormsPeopleType) {
  EXPECT_EQ(parse_real("1"), 1.0);
  EXPECT_EQ(parse_real("-2.5"), -2.5);
  EXPECT_EQ(parse_real(".5"), 0.5);
  EXPECT_EQ(parse_real("5."), 5.0);
  EXPECT_EQ(parse_real("+3"), 3.0);
  EXPECT_EQ(parse_real("1e3"), 1000.0);
  EXPECT_EQ(parse_real("-2.5E-2"), -0.025);
  EXPECT_EQ(parse_real("22.5"), 22.5);
}

TEST(ParseRealTest, RefusesEverythingElse) {
  for (const char* text : {"", "-", ".", "+.", "1e", "1e+", "e3", " 1", "1 ", "1,5", "1.2.3",
                           "0x10", "inf", "nan", "1e999", "--1", "+-1", "1a", "\xC2\xBD"}) {
    EXPECT_FALSE(parse_real(text).has_value()) << text;
  }
}

TEST(ParseIntTest, TakesSignedDigitsOnly) {
  EXPECT_EQ(parse_int("42"), 42);
  EXPECT_EQ(parse_int("-7"), -7);
  EXPECT_EQ(parse_int("+7"), 7);
  EXPECT_EQ(parse_int("-9223372036854775808"), INT64_MIN);
  for (const char* text : {"", "-", "+", "+-1", "1.0", "1e3", " 1", "9223372036854775808"}) {
    EXPECT_FALSE(parse_int(text).has_value()) << text;
  }
}

TEST(ParsePointTest, AbsolutePointsIn2DAnd3D) {
  const Vec3 last{100, 100, 100};
  EXPECT_EQ(parse_point("1,2", last), (Vec3{1, 2, 0}));
  EXPECT_EQ(parse_point("-1.5,.5,3", last), (Vec3{-1.5, 0.5, 3}));
  EXPECT_EQ(parse_point("1e2,0", last), (Vec3{100, 0, 0}));
}

TEST(ParsePointTest, RelativePointsStartAtTheLastPoint) {
  const Vec3 last{10, 20, 5};
  EXPECT_EQ(parse_point("@1,2", last), (Vec3{11, 22, 5}));
  EXPECT_EQ(parse_point("@1,2,-5", last), (Vec3{11, 22, 0}));
  EXPECT_EQ(parse_point("@", last), last);
  EXPECT_EQ(parse_point("@0,0", last), last);
}

TEST(ParsePointTest, PolarPointsTurnCounterClockwiseFromX) {
  const Vec3 last{10, 20, 5};
  EXPECT_TRUE(near(*parse_point("2<90", last), Vec3{0, 2, 0}));
  EXPECT_TRUE(near(*parse_point("2<-90", last), Vec3{0, -2, 0}));
  EXPECT_TRUE(near(*parse_point("4<30", last), Vec3{4 * std::cos(std::numbers::pi / 6), 2, 0}));
  EXPECT_TRUE(near(*parse_point("@2<180", last), Vec3{8, 20, 5}));
  EXPECT_TRUE(near(*parse_point("@1<45", last), Vec3{10 + std::sqrt(0.5), 20 + std::sqrt(0.5), 5}));
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
