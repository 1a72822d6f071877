// dulk at a terminal: a person types into the command line that tmux shows, and the program
// leaves cleanly by QUIT or Ctrl-D, asking first about unsaved changes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/dulk_run.h"
#include "tests/support/terminal.h"

namespace dulk::testing {
namespace {

using cad::testing::Terminal;
using ::testing::HasSubstr;
using ::testing::Not;

class InteractiveTest : public ::testing::Test {
 protected:
  void SetUp() override { TERMINAL_OR_SKIP(); }
};

// At LINE's first prompt: a line from (0,0) to (1,1), up to the prompt for the next point.
void type_line_points(Terminal& terminal) {
  ASSERT_TRUE(terminal.wait_for("Specify first point:")) << terminal.diagnosis();
  terminal.type("0,0");
  ASSERT_TRUE(terminal.wait_for("Specify next point or [Undo]:")) << terminal.diagnosis();
  terminal.type("1,1");
  ASSERT_TRUE(terminal.wait_for("Specify next point or [Undo]:", 2)) << terminal.diagnosis();
}

TEST_F(InteractiveTest, PersonDrawsALineAndQuits) {
  ScratchFolder folder;
  Terminal terminal(folder.path(), "--no-module -o drawn.dxf");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for("Command:")) << terminal.diagnosis();
  terminal.type("LINE");
  ASSERT_NO_FATAL_FAILURE(type_line_points(terminal));
  terminal.send("Enter");
  ASSERT_TRUE(terminal.wait_for("Command:", 2)) << terminal.diagnosis();
  const std::string screen = terminal.screen();
  EXPECT_THAT(screen, HasSubstr("Command: LINE"));
  EXPECT_THAT(screen, HasSubstr("Specify first point: 0,0"));
  EXPECT_THAT(screen, HasSubstr("Specify next point or [Undo]: 1,1"));
  // The drawing has no file yet; -o writes the run's output whatever the answer.
  terminal.type("QUIT");
  ASSERT_TRUE(terminal.wait_for("Save changes to Drawing1.dxf? [Yes/No/Cancel] <Yes>:"))
      << terminal.diagnosis();
  terminal.type("N");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
  auto lines = lines_in(folder / "drawn.dxf");
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 1u);
  EXPECT_EQ((*lines)[0].to, (cad::Vec3{1, 1, 0}));
}

TEST_F(InteractiveTest, CtrlCCancelsTheCommandAndCtrlDLeaves) {
  ScratchFolder folder;
  Terminal terminal(folder.path(), "-o drawn.dxf");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for("Command:")) << terminal.diagnosis();
  terminal.type("LINE");
  ASSERT_NO_FATAL_FAILURE(type_line_points(terminal));
  terminal.send("C-c");
  ASSERT_TRUE(terminal.wait_for("*Cancel*")) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for("Command:", 2)) << terminal.diagnosis();
  // A mistyped reply is answered at the prompt and does not make the session fail.
  terminal.type("NOSUCH");
  ASSERT_TRUE(terminal.wait_for("Unknown command")) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for("Command:", 3)) << terminal.diagnosis();
  // Nothing changed: Ctrl-D leaves without a question.
  terminal.send("C-d");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
  auto lines = lines_in(folder / "drawn.dxf");
  ASSERT_TRUE(lines.has_value());
  EXPECT_TRUE(lines->empty());
}

TEST_F(InteractiveTest, CtrlDWithUnsavedChangesAsksAndSavesTheDrawingKeepingABackup) {
  ScratchFolder folder;
  folder.write("plan.dxf", kDrawing);
  Terminal terminal(folder.path(), "--no-module plan.dxf");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for("Command:")) << terminal.diagnosis();
  // Ctrl-D inside a line deletes the character under the cursor, as the line editor does.
  terminal.send("LINEE", true);
  terminal.send("Left");
  terminal.send("C-d");
  terminal.send("Enter");
  ASSERT_NO_FATAL_FAILURE(type_line_points(terminal));
  terminal.send("Enter");
  ASSERT_TRUE(terminal.wait_for("Command:", 2)) << terminal.diagnosis();
  const std::string question = "Save changes to plan.dxf? [Yes/No/Cancel] <Yes>:";
  terminal.send("C-d");
  ASSERT_TRUE(terminal.wait_for(question)) << terminal.diagnosis();
  // Ctrl-D again is taken as Esc: the person stays.
  terminal.send("C-d");
  ASSERT_TRUE(terminal.wait_for("*Cancel*")) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for("Command:", 3)) << terminal.diagnosis();
  terminal.send("C-d");
  ASSERT_TRUE(terminal.wait_for(question, 2)) << terminal.diagnosis();
  terminal.send("Enter");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
  EXPECT_EQ(lines_in(folder / "plan.dxf").value_or(std::vector<Segment>{}).size(), 2u);
  EXPECT_EQ(folder.read("plan.bak"), kDrawing);
}

// Esc cancels as at the real host and leaves the next key alone; F1 and HELP show the commands
// and keep what was typed; a person's mistakes are answered without script line numbers.
TEST_F(InteractiveTest, EscCancelsAndF1AndHelpShowTheCommands) {
  ScratchFolder folder;
  Terminal terminal(folder.path(), "");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();
  const std::string banner = terminal.screen();
  for (const char* word : {"HELP", "F1", "Esc", "QUIT", "Ctrl-D"})
    EXPECT_THAT(banner, HasSubstr(word)) << "the banner names " << word;

  terminal.type("LINE");
  ASSERT_TRUE(terminal.wait_for_last_line("Specify first point:")) << terminal.diagnosis();
  terminal.send("Escape");
  terminal.type("CIRCLE");
  ASSERT_TRUE(terminal.wait_for_last_line("Specify center point for circle:"))
      << terminal.diagnosis();
  // Esc at the prompt shows *Cancel* once, as the reply.
  EXPECT_EQ(Terminal::occurrences(terminal.screen(), "*Cancel*"), 1u) << terminal.diagnosis();
  terminal.send("Escape");
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();

  terminal.type("HELP LINE");
  ASSERT_TRUE(terminal.wait_for("It asks:")) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();

  // F1 in the middle of typing a command's name: the list, then the same prompt with the text.
  terminal.send("LI", true);
  terminal.send("F1");
  ASSERT_TRUE(terminal.wait_for("Commands of DulkArx.arx:")) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_last_line("Command: LI")) << terminal.diagnosis();
  terminal.type("ST");
  ASSERT_TRUE(terminal.wait_for_last_line("Select objects:")) << terminal.diagnosis();
  // F1 at a command's prompt: that command's help.
  terminal.send("F1");
  ASSERT_TRUE(terminal.wait_for("LIST: Shows what the drawing holds")) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_last_line("Select objects:")) << terminal.diagnosis();
  terminal.send("C-c");
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();

  terminal.type("NOSUCH");
  ASSERT_TRUE(terminal.wait_for("Unknown command \"NOSUCH\"")) << terminal.diagnosis();
  terminal.type("LINE");
  ASSERT_TRUE(terminal.wait_for_last_line("Specify first point:")) << terminal.diagnosis();
  terminal.type("here");
  ASSERT_TRUE(terminal.wait_for("Point or option keyword required.")) << terminal.diagnosis();
  terminal.send("Escape");
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();
  const std::string screen = terminal.screen();
  EXPECT_THAT(screen, Not(HasSubstr("unknown command"))) << "no script line of it";
  EXPECT_THAT(screen, Not(HasSubstr("refused"))) << "no script line of it";
  terminal.type("QUIT");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
}

}  // namespace
}  // namespace dulk::testing
