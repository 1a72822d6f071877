// BemDia at a terminal: dulk runs in a tmux session of the test's own, a person types the command,
// reads the dialog's form with its German labels and values, closes it with OK and gets the
// command prompt back.
#include "tests/support/files.h"
#include "tests/support/terminal.h"

namespace {

TEST(BemDiaTerminalTest, FormShowsTheSettingsInGermanAndOkReturnsToThePrompt) {
  TERMINAL_OR_SKIP();
  // The terminal goes before its folder.
  const cad::testing::TempDir folder;
  cad::testing::Terminal terminal(folder.path(), "");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for("Command:")) << terminal.diagnosis();
  terminal.type("BemDia");
  ASSERT_TRUE(terminal.wait_for("OK or Cancel:")) << terminal.diagnosis();
  const std::string form = terminal.screen();
  EXPECT_NE(form.find("Bemaßungsketten – Einstellungen"), std::string::npos) << form;
  for (const char* line :
       {"Längenfaktor                     [1]", "Führende Null (0/1)              [0]",
        "Abstand Bezugslinie - Masslinie  [0.2]", "Abstand paralleler Ketten        [0.3]",
        "< OK >", "< Cancel >"}) {
    EXPECT_NE(form.find(line), std::string::npos) << line << "\n" << form;
  }
  terminal.type("OK");
  ASSERT_TRUE(terminal.wait_for("Command:", 2)) << terminal.diagnosis();
  EXPECT_EQ(terminal.screen().find("Error"), std::string::npos) << terminal.diagnosis();
  // The settings went into the drawing, so QUIT asks about them.
  terminal.type("QUIT");
  ASSERT_TRUE(terminal.wait_for("Save changes to Drawing1.dxf? [Yes/No/Cancel] <Yes>:"))
      << terminal.diagnosis();
  terminal.type("N");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
}

}  // namespace
