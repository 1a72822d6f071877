// DIM1 and UCS where a scenario of host_cases.txt cannot say it: UCS OBject finding the UCS a
// dimension was drawn in, and a measurement beyond a double's range undone typed or scripted.
#include "tests/geom/geom_checks.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

using Dim1Test = HostFixture;

TEST_F(Dim1Test, UcsObjectOnADimensionGivesBackItsUcs) {
  ASSERT_EQ(run({text_reply("_ucs"), text_reply("_z"), angle_reply(30)}), kRtNorm);
  const Ucs drawn_in = host_.ucs();
  ASSERT_EQ(run({text_reply("_dim1"), text_reply("_hori"), point_reply({0, 0}),
                 point_reply({10, 0}), point_reply({5, 2}), text_reply("")}),
            kRtNorm);
  const RecordId dim = last_entity();
  ASSERT_EQ(run({text_reply("_ucs"), text_reply("_w")}), kRtNorm);
  ASSERT_TRUE(host_.ucs().is_world());

  ASSERT_EQ(run({text_reply("_ucs"), text_reply("_e"), entity(dim)}), kRtNorm);
  EXPECT_TRUE(near(host_.ucs().x_axis, drawn_in.x_axis));
  EXPECT_TRUE(near(host_.ucs().y_axis, drawn_in.y_axis));
  EXPECT_TRUE(near(host_.ucs().origin, db().record(dim).point(11)));
  // Measured back in that UCS, the offset from the second origin to the line is along Y.
  const Vec3 offset = host_.ucs().from_world(db().record(dim).point(10)) -
                      host_.ucs().from_world(db().record(dim).point(14));
  EXPECT_NEAR(offset.x, 0, 1e-9);
  EXPECT_NEAR(offset.y, 2, 1e-9);

  ASSERT_EQ(run({text_reply("_ucs"), text_reply("_previous")}), kRtNorm);
  EXPECT_TRUE(host_.ucs().is_world());
}

// Points 1e308 apart measure a length beyond a double's range: the command is undone with a
// message rather than saving infinity or NaN into the drawing, typed, or scripted by a module's
// command, which is undone whole.
TEST_F(Dim1Test, ADimensionMeasuringBeyondTheRangeOfADoubleIsUndone) {
  const Snapshot before(host_);
  EXPECT_EQ(type("dim1\nhor\n-1e308,0\n1e308,0\n0,1\n\n"), 0);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  add_command("CHAIN", [this] {
    run({text_reply("_line"), point_reply({0, 0}), point_reply({1, 1}), text_reply("")});
    run({text_reply("_dim1"), text_reply("_hori"), point_reply({-1e308, 0}),
         point_reply({1e308, 0}), point_reply({0, 1}), text_reply("")});
  });
  EXPECT_EQ(host_.run_command("CHAIN"), CommandResult::kAborted);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  const std::string t = transcript();
  for (const char* message :
       {"\nValue out of range: DIM1 is undone.", "\nValue out of range: CHAIN is undone."}) {
    const size_t at = t.find(message);
    EXPECT_NE(at, std::string::npos) << message << t;
    EXPECT_EQ(t.find(message, at + 1), std::string::npos) << "once: " << message << t;
  }
}

}  // namespace
}  // namespace cad::testing
