// Faults fuzz_script_replies found in reading replies, one test each, named after the fault.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "cad/input/parse.h"
#include "cad/input/reply.h"
#include "cad/input/script_source.h"

namespace cad {
namespace {

// "1<1e308": the angle in radians overflowed to infinity and its cosine made the point NaN.
TEST(ScriptRepliesRegression, PolarAngleBeyondTheRangeOfRadiansGivesAFinitePoint) {
  ScriptSource script("1<1e308\n2<-1.7e308\n@2<1e308\n", "fuzz.scr");
  for (Reply reply = script.next(true); reply.kind != Reply::Kind::kEnd;
       reply = script.next(true)) {
    const std::optional<Vec3> p = parse_point(reply.text, Vec3{});
    ASSERT_TRUE(p.has_value()) << reply.text;
    ASSERT_TRUE(std::isfinite(p->x) && std::isfinite(p->y)) << reply.text;
    EXPECT_NEAR(std::hypot(p->x, p->y), reply.line == 1 ? 1 : 2, 1e-12) << reply.text;
  }
}

TEST(ScriptRepliesRegression, PolarAngleKeepsItsDirectionOverWholeTurns) {
  const Vec3 once = *parse_point("3<30", Vec3{});
  for (const char* text : {"3<390", "3<-330", "3<3630"}) {
    const Vec3 turned = *parse_point(text, Vec3{});
    EXPECT_NEAR(turned.x, once.x, 1e-12) << text;
    EXPECT_NEAR(turned.y, once.y, 1e-12) << text;
  }
}

}  // namespace
}  // namespace cad
