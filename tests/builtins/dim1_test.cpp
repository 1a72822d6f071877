// DIM1 where a scenario of host_cases.txt cannot say it: a measurement beyond a double's range
// undone typed or scripted.
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

using Dim1Test = HostFixture;

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
