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
const std::vector<Terminal::Step> kLinePoints = {
    {"", "Specify first point:"},
    {"0,0<Enter>", "Specify next point or [Undo]:"},
    {"1,1<Enter>", "Specify next point or [Undo]:", 2},
};

TEST_F(InteractiveTest, PersonDrawsALineAndQuits) {
  ScratchFolder folder;
  Terminal terminal(folder.path(), "--no-module -o drawn.dxf");
  ASSERT_NO_FATAL_FAILURE(terminal.play({{"", "Command:"}, {"LINE<Enter>", ""}}));
  ASSERT_NO_FATAL_FAILURE(terminal.play(kLinePoints));
  ASSERT_NO_FATAL_FAILURE(terminal.play({{"<Enter>", "Command:", 2}}));
  const std::string screen = terminal.screen();
  EXPECT_THAT(screen, HasSubstr("Command: LINE"));
  EXPECT_THAT(screen, HasSubstr("Specify first point: 0,0"));
  EXPECT_THAT(screen, HasSubstr("Specify next point or [Undo]: 1,1"));
  // The drawing has no file yet; -o writes the run's output whatever the answer.
  ASSERT_NO_FATAL_FAILURE(
      terminal.play({{"QUIT<Enter>", "Save changes to Drawing1.dxf? [Yes/No/Cancel] <Yes>:"}}));
  terminal.type("N");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
  EXPECT_EQ(lines_in(folder / "drawn.dxf"), "0,0,0 1,1,0\n");
}

TEST_F(InteractiveTest, CtrlDWithUnsavedChangesAsksAndSavesTheDrawingKeepingABackup) {
  ScratchFolder folder{{"plan.dxf", kDrawing}};
  Terminal terminal(folder.path(), "--no-module plan.dxf");
  // Ctrl-D inside a line deletes the character under the cursor, as the line editor does.
  ASSERT_NO_FATAL_FAILURE(terminal.play({{"", "Command:"}, {"LINEE<Left><C-d><Enter>", ""}}));
  ASSERT_NO_FATAL_FAILURE(terminal.play(kLinePoints));
  const std::string question = "Save changes to plan.dxf? [Yes/No/Cancel] <Yes>:";
  // Ctrl-D again at the question is taken as Esc: the person stays.
  ASSERT_NO_FATAL_FAILURE(terminal.play({{"<Enter>", "Command:", 2},
                                         {"<C-d>", question},
                                         {"<C-d>", "*Cancel*"},
                                         {"", "Command:", 3},
                                         {"<C-d>", question, 2},
                                         {"<Enter>", ""}}));
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
  EXPECT_EQ(count_entities(folder / "plan.dxf", "LINE"), 2u);
  EXPECT_EQ(folder.read("plan.bak"), kDrawing);
}

// Esc cancels as at the real host and leaves the next key alone, and so does Ctrl-C; F1 and HELP
// show the commands and keep what was typed; a person's mistakes are answered without script line
// numbers and do not make the session fail.
TEST_F(InteractiveTest, EscCancelsAndF1AndHelpShowTheCommands) {
  ScratchFolder folder;
  Terminal terminal(folder.path(), "");
  const size_t kLast = Terminal::kLastLine;
  ASSERT_NO_FATAL_FAILURE(terminal.play({{"", "Command:", kLast}}));
  const std::string banner = terminal.screen();
  for (const char* word : {"HELP", "F1", "Esc", "QUIT", "Ctrl-D"})
    EXPECT_THAT(banner, HasSubstr(word)) << "the banner names " << word;

  ASSERT_NO_FATAL_FAILURE(
      terminal.play({{"LINE<Enter>", "Specify first point:", kLast},
                     {"<Escape>CIRCLE<Enter>", "Specify center point for circle:", kLast}}));
  // Esc at the prompt shows *Cancel* once, as the reply.
  EXPECT_EQ(Terminal::occurrences(terminal.screen(), "*Cancel*"), 1u) << terminal.diagnosis();
  ASSERT_NO_FATAL_FAILURE(terminal.play({
      {"<Escape>", "Command:", kLast},
      {"HELP LINE<Enter>", "It asks:"},
      {"", "Command:", kLast},
      // F1 in the middle of typing a command's name: the list, then the same prompt with the text.
      {"LI<F1>", "Commands of DulkArx.arx:"},
      {"", "Command: LI", kLast},
      {"ST<Enter>", "Select objects:", kLast},
      // F1 at a command's prompt: that command's help.
      {"<F1>", "LIST: Shows what the drawing holds"},
      {"", "Select objects:", kLast},
      {"<C-c>", "Command:", kLast},
      {"NOSUCH<Enter>", "Unknown command \"NOSUCH\""},
      {"LINE<Enter>", "Specify first point:", kLast},
      {"here<Enter>", "Point or option keyword required."},
      {"<Escape>", "Command:", kLast},
  }));
  const std::string screen = terminal.screen();
  EXPECT_THAT(screen, Not(HasSubstr("unknown command"))) << "no script line of it";
  EXPECT_THAT(screen, Not(HasSubstr("refused"))) << "no script line of it";
  // Nothing changed: Ctrl-D leaves without a question.
  terminal.send("C-d");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
}

}  // namespace
}  // namespace dulk::testing
