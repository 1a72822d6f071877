// The module inside dulk: its commands answer to both their names, and the ARX command lists,
// loads and unloads it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/app/dulk_run.h"

namespace dulk::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The line the transcript shows after the first line that begins with head.
std::string line_after(std::string_view transcript, std::string_view head) {
  size_t at = transcript.starts_with(head) ? 0 : transcript.find("\n" + std::string(head));
  if (at == std::string_view::npos) return "<" + std::string(head) + " not found>";
  if (transcript[at] == '\n') ++at;
  const size_t begin = transcript.find('\n', at);
  if (begin == std::string_view::npos) return "<nothing after " + std::string(head) + ">";
  const size_t end = transcript.find('\n', begin + 1);
  return std::string(transcript.substr(begin + 1, end - begin - 1));
}

// Both names start the same command; U names the command as it was typed; HELP lists every
// command, the host's, dulk's own and the module's under its file name, and names the module.
TEST(ModuleCommands, LocalAndGlobalNameStartTheSameCommandAndUAndHelpNameIt) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "",
                         "Dulk\n^C\n_Adim\n^C\n"
                         "Dulk\n0,0\n2,0\n5,0\n\n0,2\n0\nU\n"
                         "_Adim\n0,0\n2,0\n\n0,2\n0\nU\n"
                         "HELP\n\nHELP Dulk\n");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string by_local = line_after(run.out, "Command: Dulk");
  EXPECT_TRUE(by_local.starts_with("1. Bemassungspunkt:")) << by_local;
  EXPECT_EQ(line_after(run.out, "Command: _Adim"), by_local);
  EXPECT_EQ(line_after(run.out, "Command: U"), "Dulk");
  EXPECT_EQ(line_after(run.out.substr(run.out.rfind("Command: _Adim")), "Command: U"), "Adim");
  for (const char* expected :
       {"\nCommands of the host:\n", "\n  STRETCH ", "\n  REDO ", "\nCommands of dulk:\n",
        "\n  SAVEAS ", "\nCommands of DulkArx.arx:\n", "\n  AutoBem  (_AutoDim)\n",
        "\nDulk (_Adim), a command of DulkArx.arx.\n"})
    EXPECT_THAT(run.out, HasSubstr(expected));
}

// Enter at the file name does nothing; unloading the module removes both names of its commands,
// and loading it again brings them back.
TEST(ArxCommand, UnloadingAndLoadingTheModuleTakeAndBringItsCommands) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "",
                         "ARX\nUnload\n\n"
                         "ARX\n?\n"
                         "ARX\nUnload\nDulkArx.arx\n"
                         "ARX\n?\n"
                         "Dulk\n_Adim\n"
                         "_ARX\n_Load\n" +
                             module_path() + "\nDulk\n^C\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(line_after(run.out, "Enter an option [?/Load/Unload]: ?"), "Loaded modules:");
  EXPECT_EQ(line_after(run.out, "Loaded modules:"), "  " + module_path());
  for (const char* said : {"DulkArx.arx unloaded.", "No modules loaded.",
                           "Unknown command \"DULK\"", "Unknown command \"ADIM\""})
    EXPECT_THAT(run.out, HasSubstr(said));
  const size_t loaded = run.out.find("DulkArx.arx loaded.");
  ASSERT_NE(loaded, std::string::npos) << run.out;
  EXPECT_THAT(run.out.substr(0, loaded), Not(HasSubstr("Bemassungspunkt")));
  EXPECT_TRUE(
      line_after(run.out.substr(loaded), "Command: Dulk").starts_with("1. Bemassungspunkt:"))
      << run.out;
  EXPECT_THAT(run.err, Not(HasSubstr("line 3:")));
  EXPECT_THAT(run.err, HasSubstr("line 11: unknown command \"Dulk\""));
  EXPECT_THAT(run.err, HasSubstr("line 12: unknown command \"_Adim\""));
  EXPECT_THAT(run.err, Not(HasSubstr("line 16:")));
}

TEST(ArxCommand, LoaderErrorsFailTheScriptWithTheirReason) {
  ScratchFolder folder{{"fake.arx", "not a shared object"}};
  const std::string loaded_twice = "ARX\nL\n" + module_path() + "\n";
  DulkRun run = run_dulk(
      folder, "", "ARX\nL\nnowhere.arx\nARX\nL\nfake.arx\n" + loaded_twice + "ARX\nU\nother.arx\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("line 3: cannot load nowhere.arx: "));
  EXPECT_THAT(run.err, HasSubstr("line 6: cannot load fake.arx: "));
  EXPECT_THAT(run.err, HasSubstr("line 9: module " + module_path() + " is loaded already"));
  EXPECT_THAT(run.err, HasSubstr("line 12: module other.arx is not loaded"));
}

}  // namespace
}  // namespace dulk::testing
