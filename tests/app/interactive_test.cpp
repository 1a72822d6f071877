// dulk at a terminal: a person types into the command line that tmux shows, and the program
// leaves cleanly by QUIT or Ctrl-D, asking first about unsaved changes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/dulk_run.h"

namespace dulk::testing {
namespace {

using std::chrono::steady_clock;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr auto kPatience = std::chrono::seconds(20);
constexpr auto kPoll = std::chrono::milliseconds(50);

bool tmux_installed() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

// A tmux server of the test's own (its own socket and no configuration), holding one session of
// fixed size that runs dulk in the scratch folder and writes dulk's exit status to a file when
// it ends. dulk's standard error goes to a file, as it would be lost with the pane.
class Terminal {
 public:
  Terminal(const ScratchFolder& folder, const std::string& dulk_args) : folder_(folder) {
    socket_ = (folder / "tmux.sock").string();
    // The status file appears whole, so a poll never reads it half-written.
    folder.write("run.sh", "cd " + shell_word(folder.path().string()) + " || exit 1\n" +
                               shell_word(dulk_binary()) + " " + dulk_args +
                               " 2>dulk.err\necho $? >status.tmp\nmv status.tmp status\n");
    started_ = tmux("new-session -d -s dulk -x 100 -y 40 " +
                    shell_word("sh " + shell_word((folder / "run.sh").string()))) == 0;
  }
  ~Terminal() { tmux("kill-server"); }

  bool started() const { return started_; }

  // Keys as tmux names them ("Enter", "C-d"); text with literal set.
  void send(const std::string& keys, bool literal = false) {
    tmux(std::string("send-keys -t dulk ") + (literal ? "-l " : "") + shell_word(keys));
  }
  void type(const std::string& text) {
    send(text, true);
    send("Enter");
  }

  std::string screen() {
    std::string text;
    tmux("capture-pane -p -t dulk", &text);
    return text;
  }

  // The screen and what dulk said on standard error, for a failing test's message.
  std::string diagnosis() {
    return screen() + "\n--- standard error:\n" + folder_.read("dulk.err").value_or("");
  }

  // Polls until the screen shows what until asks for; false after kPatience.
  bool wait_for_screen(const std::function<bool(const std::string&)>& until) {
    return poll([&] { return until(screen()); });
  }
  bool wait_for_count(const std::string& text, size_t count) {
    return wait_for_screen([&](const std::string& s) { return occurrences(s, text) >= count; });
  }
  // Polls until the last line the screen shows (the cursor's) is line.
  bool wait_for_last_line(const std::string& line) {
    return wait_for_screen([&](const std::string& s) {
      const size_t end = s.find_last_not_of(" \n");
      if (end == std::string::npos) return false;
      const size_t begin = s.rfind('\n', end);
      return s.substr(begin == std::string::npos ? 0 : begin + 1, end + 1) == line ||
             s.substr(begin == std::string::npos ? 0 : begin + 1, end - begin) == line;
    });
  }

  // dulk's exit status once the session ended, or -1 when it did not end in time.
  int wait_for_exit() {
    std::optional<std::string> status;
    if (!poll([&] { return (status = folder_.read("status")).has_value(); })) return -1;
    if (!poll([&] { return tmux("has-session -t dulk") != 0; })) return -1;
    return std::atoi(status->c_str());
  }

 private:
  static bool poll(const std::function<bool()>& done) {
    const auto deadline = steady_clock::now() + kPatience;
    while (!done()) {
      if (steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(kPoll);
    }
    return true;
  }

  int tmux(const std::string& args, std::string* out = nullptr) {
    const std::string command =
        "tmux -S " + shell_word(socket_) + " -f /dev/null " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
      if (out) out->append(buffer, n);
    return pclose(pipe);
  }

  const ScratchFolder& folder_;
  std::string socket_;
  bool started_ = false;
};

class InteractiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (tmux_installed()) return;
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") FAIL() << "tmux is not installed on CI";
    GTEST_SKIP() << "tmux is not installed";
  }
};

TEST_F(InteractiveTest, PersonDrawsALineAndQuits) {
  ScratchFolder folder;
  Terminal terminal(folder, "--no-module -o drawn.dxf");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for_count("Command:", 1)) << terminal.diagnosis();
  terminal.type("LINE");
  ASSERT_TRUE(terminal.wait_for_count("Specify first point:", 1)) << terminal.diagnosis();
  terminal.type("0,0");
  ASSERT_TRUE(terminal.wait_for_count("Specify next point or [Undo]:", 1)) << terminal.diagnosis();
  terminal.type("1,1");
  ASSERT_TRUE(terminal.wait_for_count("Specify next point or [Undo]:", 2)) << terminal.diagnosis();
  terminal.send("Enter");
  ASSERT_TRUE(terminal.wait_for_count("Command:", 2)) << terminal.diagnosis();
  const std::string screen = terminal.screen();
  EXPECT_THAT(screen, HasSubstr("Command: LINE"));
  EXPECT_THAT(screen, HasSubstr("Specify first point: 0,0"));
  EXPECT_THAT(screen, HasSubstr("Specify next point or [Undo]: 1,1"));
  // The drawing has no file yet; -o writes the run's output whatever the answer.
  terminal.type("QUIT");
  ASSERT_TRUE(terminal.wait_for_count("Save changes to Drawing1.dxf? [Yes/No/Cancel] <Yes>:", 1))
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
  Terminal terminal(folder, "-o drawn.dxf");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for_count("Command:", 1)) << terminal.diagnosis();
  terminal.type("LINE");
  ASSERT_TRUE(terminal.wait_for_count("Specify first point:", 1)) << terminal.diagnosis();
  terminal.type("0,0");
  ASSERT_TRUE(terminal.wait_for_count("Specify next point or [Undo]:", 1)) << terminal.diagnosis();
  terminal.type("1,1");
  ASSERT_TRUE(terminal.wait_for_count("Specify next point or [Undo]:", 2)) << terminal.diagnosis();
  terminal.send("C-c");
  ASSERT_TRUE(terminal.wait_for_count("*Cancel*", 1)) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_count("Command:", 2)) << terminal.diagnosis();
  // A mistyped reply is answered at the prompt and does not make the session fail.
  terminal.type("NOSUCH");
  ASSERT_TRUE(terminal.wait_for_count("Unknown command", 1)) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_count("Command:", 3)) << terminal.diagnosis();
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
  Terminal terminal(folder, "--no-module plan.dxf");
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for_count("Command:", 1)) << terminal.diagnosis();
  // Ctrl-D inside a line deletes the character under the cursor, as the line editor does.
  terminal.send("LINEE", true);
  terminal.send("Left");
  terminal.send("C-d");
  terminal.send("Enter");
  ASSERT_TRUE(terminal.wait_for_count("Specify first point:", 1)) << terminal.diagnosis();
  terminal.type("0,0");
  ASSERT_TRUE(terminal.wait_for_count("Specify next point or [Undo]:", 1)) << terminal.diagnosis();
  terminal.type("1,1");
  ASSERT_TRUE(terminal.wait_for_count("Specify next point or [Undo]:", 2)) << terminal.diagnosis();
  terminal.send("Enter");
  ASSERT_TRUE(terminal.wait_for_count("Command:", 2)) << terminal.diagnosis();
  const std::string question = "Save changes to plan.dxf? [Yes/No/Cancel] <Yes>:";
  terminal.send("C-d");
  ASSERT_TRUE(terminal.wait_for_count(question, 1)) << terminal.diagnosis();
  // Ctrl-D again is taken as Esc: the person stays.
  terminal.send("C-d");
  ASSERT_TRUE(terminal.wait_for_count("*Cancel*", 1)) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_count("Command:", 3)) << terminal.diagnosis();
  terminal.send("C-d");
  ASSERT_TRUE(terminal.wait_for_count(question, 2)) << terminal.diagnosis();
  terminal.send("Enter");
  EXPECT_EQ(terminal.wait_for_exit(), 0) << terminal.diagnosis();
  EXPECT_EQ(lines_in(folder / "plan.dxf").value_or(std::vector<Segment>{}).size(), 2u);
  EXPECT_EQ(folder.read("plan.bak"), kDrawing);
}

// Esc cancels as at the real host and leaves the next key alone; F1 and HELP show the commands
// and keep what was typed; a person's mistakes are answered without script line numbers.
TEST_F(InteractiveTest, EscCancelsAndF1AndHelpShowTheCommands) {
  ScratchFolder folder;
  Terminal terminal(folder, "");
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
  EXPECT_THAT(terminal.screen(), HasSubstr("*Cancel*"));
  terminal.send("Escape");
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();

  terminal.type("HELP LINE");
  ASSERT_TRUE(terminal.wait_for_count("It asks:", 1)) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();

  // F1 in the middle of typing a command's name: the list, then the same prompt with the text.
  terminal.send("LI", true);
  terminal.send("F1");
  ASSERT_TRUE(terminal.wait_for_count("Commands of DulkArx.arx:", 1)) << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_last_line("Command: LI")) << terminal.diagnosis();
  terminal.type("ST");
  ASSERT_TRUE(terminal.wait_for_last_line("Select objects:")) << terminal.diagnosis();
  // F1 at a command's prompt: that command's help.
  terminal.send("F1");
  ASSERT_TRUE(terminal.wait_for_count("LIST: Shows what the drawing holds", 1))
      << terminal.diagnosis();
  ASSERT_TRUE(terminal.wait_for_last_line("Select objects:")) << terminal.diagnosis();
  terminal.send("C-c");
  ASSERT_TRUE(terminal.wait_for_last_line("Command:")) << terminal.diagnosis();

  terminal.type("NOSUCH");
  ASSERT_TRUE(terminal.wait_for_count("Unknown command \"NOSUCH\"", 1)) << terminal.diagnosis();
  terminal.type("LINE");
  ASSERT_TRUE(terminal.wait_for_last_line("Specify first point:")) << terminal.diagnosis();
  terminal.type("here");
  ASSERT_TRUE(terminal.wait_for_count("Point or option keyword required.", 1))
      << terminal.diagnosis();
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
