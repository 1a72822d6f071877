// The example of examples/ runs as scripts/example.sh runs it and dimensions the plan.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/app/dulk_run.h"

namespace dulk::testing {
namespace {

using ::testing::HasSubstr;

TEST(Example, PavilionScriptDimensionsThePlanAndKeepsTheCutLine) {
  ScratchFolder folder;
  const std::string examples = DULK_SOURCE_DIR "/examples/";
  DulkRun run = run_dulk(folder, shell_word(examples + "pavilion.dxf") + " -s " +
                                     shell_word(examples + "pavilion-autobem.scr") +
                                     " -o dim.dxf --svg dim.svg");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Schnittpunkte gefunden"));
  EXPECT_THAT(run.out, HasSubstr("Schnittlinie loeschen <J> ?Nein"));
  EXPECT_EQ(count_entities(examples + "pavilion.dxf", "DIMENSION"), 0u);
  EXPECT_GT(count_entities(folder / "dim.dxf", "DIMENSION").value_or(0), 1u);
  EXPECT_EQ(count_entities(folder / "dim.dxf", "POLYLINE"),
            count_entities(examples + "pavilion.dxf", "POLYLINE").value() + 1);
  EXPECT_TRUE(folder.read("dim.svg").has_value());
}

}  // namespace
}  // namespace dulk::testing
