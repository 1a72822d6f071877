// The module's entry: application messages, the six commands registered and removed, the
// interface version, the per-document data manager, and loading the built module file.
#include <string>
#include <vector>

#include "cad/ads/loader.h"
#include "frame/dulk_app.h"
#include "tests/support/chain_fixture.h"

// The entry points the host finds by name in the module.
extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);
extern "C" int acrxGetApiVersion();
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace {

struct Names {
  std::string global;
  std::string local;
};

const std::vector<Names> kCommandNames = {
    {"Adim", "Dulk"},       {"DimAdd", "BemAdd"}, {"DimDel", "BemDel"},
    {"AutoDim", "AutoBem"}, {"DimUpd", "BemUpd"}, {"DimDia", "BemDia"},
};

// The messages the host sends that the module has nothing to do for.
const AcRx::AppMsgCode kOtherMessages[] = {
    AcRx::kNullMsg,    AcRx::kLoadDwgMsg,      AcRx::kUnloadDwgMsg,   AcRx::kInvkSubrMsg,
    AcRx::kCfgMsg,     AcRx::kSaveMsg,         AcRx::kPreQuitMsg,     AcRx::kEndDialogMsg,
    AcRx::kSuspendMsg, AcRx::kInitTabGroupMsg, AcRx::kEndTabGroupMsg,
};

class EntryTest : public ModuleHost {
 protected:
  std::vector<cad::CommandDef> module_commands() {
    std::vector<cad::CommandDef> found;
    for (const auto& def : host().commands().commands())
      if (def->group == "VarnholtDulk2010") found.push_back(*def);
    return found;
  }
};

// Init registers the six commands in table order; no other message changes them; unload
// removes them all.
TEST_F(EntryTest, CommandsLiveFromInitToUnload) {
  EXPECT_EQ(acrxEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
  const std::vector<cad::CommandDef> commands = module_commands();
  ASSERT_EQ(commands.size(), kCommandNames.size());
  for (size_t i = 0; i < commands.size(); ++i) {
    SCOPED_TRACE(kCommandNames[i].local);
    EXPECT_EQ(commands[i].global_name, kCommandNames[i].global);
    EXPECT_EQ(commands[i].local_name, kCommandNames[i].local);
    EXPECT_EQ(commands[i].flags, ACRX_CMD_TRANSPARENT);
    const cad::CommandDef* by_local = host().commands().find(kCommandNames[i].local);
    ASSERT_NE(by_local, nullptr);
    EXPECT_EQ(by_local, host().commands().find("_" + kCommandNames[i].global));
  }
  const size_t before = host().commands().commands().size();
  for (AcRx::AppMsgCode msg : kOtherMessages) {
    EXPECT_EQ(acrxEntryPoint(msg, nullptr), AcRx::kRetOK) << msg;
    EXPECT_EQ(host().commands().commands().size(), before) << msg;
  }
  EXPECT_EQ(acrxEntryPoint(AcRx::kUnloadAppMsg, nullptr), AcRx::kRetOK);
  EXPECT_TRUE(module_commands().empty());
  for (const Names& names : kCommandNames)
    EXPECT_EQ(host().commands().find(names.local), nullptr) << names.local;
}

// The handle the operating system hands the module at attach is the one the application object
// works with from initialisation on; every notification is answered TRUE, or the operating
// system would not keep the module.
TEST_F(EntryTest, DllMainRecordsTheInstanceTheApplicationTakesAtInit) {
  static HINSTANCE__ instance;
  EXPECT_EQ(DllMain(&instance, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(acrxGetApp()->GetModuleInstance(), nullptr);
  acrxEntryPoint(AcRx::kInitAppMsg, nullptr);
  EXPECT_EQ(acrxGetApp()->GetModuleInstance(), &instance);
  acrxEntryPoint(AcRx::kUnloadAppMsg, nullptr);
  EXPECT_EQ(DllMain(&instance, DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
}

// The built module answers for the host's interface version, and its data per document is
// registered with the host's document manager from loading to unloading: a drawing replaced
// while it is loaded reaches it, and nothing of it stays registered once it is gone.
TEST_F(EntryTest, BuiltModuleLoadsRegistersAndUnloads) {
  EXPECT_EQ(acrxGetApiVersion(), cad::kHostApiVersion);
  const std::string path = std::string(DULK_BINARY_DIR) + "/DulkArx.arx";
  const size_t reactors = cad::document_reactor_count();
  std::string error;
  ASSERT_TRUE(host().modules().load(path, &error)) << error;
  EXPECT_EQ(module_commands().size(), kCommandNames.size());
  EXPECT_EQ(cad::document_reactor_count(), reactors + 1);
  host().set_db(cad::new_drawing());
  ASSERT_TRUE(host().modules().unload(path, &error)) << error;
  EXPECT_TRUE(module_commands().empty());
  EXPECT_EQ(cad::document_reactor_count(), reactors);
}

}  // namespace
