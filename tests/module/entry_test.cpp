// The module's entry: application messages, the six commands registered and removed, the
// interface version, the per-document data manager, and loading the built module file.
#include <string>
#include <vector>

#include "cad/ads/loader.h"
#include "frame/dulk_app.h"
#include "tests/support/chain_fixture.h"

extern "C" int DllMain(HINSTANCE instance, unsigned long reason, void*);

namespace {

struct Names {
  std::string global;
  std::string local;
};

const std::vector<Names> kCommandNames = {
    {"Adim", "Dulk"},       {"DimAdd", "BemAdd"}, {"DimDel", "BemDel"},
    {"AutoDim", "AutoBem"}, {"DimUpd", "BemUpd"}, {"DimDia", "BemDia"},
};

class EntryTest : public ModuleHost {
 protected:
  std::vector<cad::CommandDef> module_commands() {
    std::vector<cad::CommandDef> found;
    for (const auto& def : host().commands().commands()) {
      if (def->group == "VarnholtDulk2010") found.push_back(*def);
    }
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
  for (int msg : {0, 3, 4, 5, 6, 9, 13, 15, 16, 17, 1000, -1}) {
    EXPECT_EQ(acrxEntryPoint(msg, nullptr), AcRx::kRetOK) << msg;
    EXPECT_EQ(host().commands().commands().size(), before) << msg;
  }
  EXPECT_EQ(acrxEntryPoint(AcRx::kUnloadAppMsg, nullptr), AcRx::kRetOK);
  EXPECT_TRUE(module_commands().empty());
  for (const Names& names : kCommandNames) {
    EXPECT_EQ(host().commands().find(names.local), nullptr) << names.local;
  }
}

TEST_F(EntryTest, DocumentManagerLivesFromInitToUnload) {
  EXPECT_EQ(doc_data_manager(), nullptr);
  acrxEntryPoint(AcRx::kInitAppMsg, nullptr);
  ASSERT_NE(doc_data_manager(), nullptr);
  // A drawing replaced is a document destroyed; the map has nothing to drop.
  host().set_db(cad::new_drawing());
  EXPECT_EQ(doc_data_manager()->size(), 0u);
  acrxEntryPoint(AcRx::kUnloadAppMsg, nullptr);
  EXPECT_EQ(doc_data_manager(), nullptr);
  host().set_db(cad::new_drawing());
}

// The operating system keeps a module only when its DllMain answers TRUE (1) to the attach.
TEST_F(EntryTest, DllMainAnswersTrueAndKeepsTheDocumentManagerUntilDetach) {
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), 1);
  EXPECT_NE(doc_data_manager(), nullptr);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr), 1);
  EXPECT_EQ(doc_data_manager(), nullptr);
}

TEST_F(EntryTest, BuiltModuleLoadsRegistersAndUnloads) {
  const std::string path = std::string(DULK_BINARY_DIR) + "/DulkArx.arx";
  std::string error;
  ASSERT_TRUE(host().modules().load(path, &error)) << error;
  EXPECT_EQ(module_commands().size(), kCommandNames.size());
  // The host hands the module any code as an integer; codes beyond its list are answered
  // without a call.
  for (int msg : {0, 3, 4, 5, 16, 1000}) EXPECT_EQ(host().modules().send(msg, nullptr), 0) << msg;
  EXPECT_EQ(module_commands().size(), kCommandNames.size());
  ASSERT_TRUE(host().modules().unload(path, &error)) << error;
  EXPECT_TRUE(module_commands().empty());
}

}  // namespace
