// Modules loaded the way the real host loads them, with the host/ entry-point headers a module
// is written against: a module of the tests' own (tests/host/app), whose commands take their
// names from its string resources and its command map, beside the module DulkArx.arx.
#include <string>
#include <vector>

#include "cad/ads/loader.h"
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

const std::string kProbeApp = DULK_BINARY_DIR "/tests/probe_app.arx";
const std::string kDulkArx = DULK_BINARY_DIR "/DulkArx.arx";

class ModuleLoadingTest : public HostFixture {
 protected:
  std::vector<std::string> local_names(const std::string& group) {
    std::vector<std::string> names;
    for (const auto& def : host_.commands().commands()) {
      if (def->group == group) names.push_back(def->local_name);
    }
    return names;
  }
  void load(const std::string& path) {
    std::string error;
    ASSERT_TRUE(host_.modules().load(path, &error)) << error;
  }
};

// A command without a local name gets the string of its id from the module's own resources;
// each module registers its own command map, in the order it defines its entries, and unloading
// one takes only its commands away.
TEST_F(ModuleLoadingTest, EachModuleRegistersItsOwnCommandMapNamedFromItsResources) {
  load(kProbeApp);
  load(kDulkArx);
  EXPECT_EQ(local_names("ProbeGroup"), (std::vector<std::string>{"Zeichnen", "Zaehlen"}));
  EXPECT_EQ(local_names("VarnholtDulk2010").size(), 6u);
  const CommandDef* draw = host_.commands().find("_Draw");
  ASSERT_NE(draw, nullptr);
  EXPECT_EQ(draw, host_.commands().find("Zeichnen"));
  EXPECT_EQ(draw->flags, ACRX_CMD_MODAL);
  EXPECT_EQ(host_.commands().find("Zaehlen")->flags, ACRX_CMD_SESSION);
  EXPECT_EQ(host_.run_command("Zeichnen"), CommandResult::kDone);
  EXPECT_EQ(host_.run_command("_Count"), CommandResult::kDone);
  EXPECT_NE(transcript().find("gezeichnet 1\ngezaehlt 1"), std::string::npos) << transcript();

  std::string error;
  ASSERT_TRUE(host_.modules().unload(kProbeApp, &error)) << error;
  EXPECT_TRUE(local_names("ProbeGroup").empty());
  EXPECT_EQ(host_.commands().find("Zeichnen"), nullptr);
  EXPECT_EQ(local_names("VarnholtDulk2010").size(), 6u);
}

}  // namespace
}  // namespace cad::testing
