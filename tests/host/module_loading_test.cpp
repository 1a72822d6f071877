// Modules loaded the way the real host loads them, with the host/ entry-point headers a module
// is written against: a module of the tests' own (tests/host/app), whose commands take their
// names from its string resources and its command map, beside the module DulkArx.arx.
#include <dlfcn.h>

#include <cstring>
#include <cwchar>

#include "cad/ads/loader.h"
#include "host/platform.h"
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

// A module's string resources, as the host reads the table the module exports (the tests' own
// module, opened as the loader opens it): copied whole
// or cut to the buffer, none for an id the table lacks, and nothing written into a buffer of no
// room at all.
TEST(StringResources, LoadStringCopiesWholeOrCutAndNeverPastTheBuffer) {
  HINSTANCE probe = static_cast<HINSTANCE>(dlopen(kProbeApp.c_str(), RTLD_NOW | RTLD_LOCAL));
  ASSERT_NE(probe, nullptr);
  const std::wstring untouched(16, L'#');
  const struct {
    unsigned id;
    int max_chars;
    int copied;
    std::wstring buffer;  // as the call leaves it
  } rows[] = {{7, 16, 8, L"Zeichnen"}, {7, 4, 3, L"Zei"},    {7, 1, 0, L""},
              {9, 16, 0, L""},         {7, 0, 0, untouched}, {7, -1, 0, untouched}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.max_chars);
    wchar_t buffer[17];
    std::wcscpy(buffer, untouched.c_str());
    EXPECT_EQ(LoadStringW(probe, row.id, buffer, row.max_chars), row.copied);
    EXPECT_EQ(std::wstring(buffer), row.buffer);
  }
  dlclose(probe);
}

}  // namespace
}  // namespace cad::testing
