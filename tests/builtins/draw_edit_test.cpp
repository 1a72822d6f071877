// REDRAW. (Drawing and editing by hand, one scenario each: host_cases.txt.)
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

using DrawTest = HostFixture;

TEST_F(DrawTest, RedrawClearsTemporaryVectors) {
  host_.temp_vectors().push_back({{0, 0, 0}, {1, 1, 0}, 1});
  ASSERT_EQ(run({text_reply("_redraw")}), kRtNorm);
  EXPECT_TRUE(host_.temp_vectors().empty());
}

}  // namespace
}  // namespace cad::testing
