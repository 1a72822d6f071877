// BemDia at a terminal: dulk runs in a tmux session of the test's own, a person types the command,
// reads the dialog's form with its German labels and values, closes it with OK and gets the
// command prompt back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(20);
constexpr auto kPoll = std::chrono::milliseconds(50);

std::string shell_word(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// One tmux server on a socket of its own, without configuration, holding a session that runs
// dulk with a new drawing in an empty folder.
class Terminal {
 public:
  explicit Terminal(const fs::path& folder) : socket_((folder / "tmux.sock").string()) {
    const fs::path script = folder / "run.sh";
    std::ofstream(script) << "cd " << shell_word(folder.string()) << " || exit 1\nexec "
                          << shell_word(DULK_BINARY_DIR "/dulk") << "\n";
    started_ = tmux("new-session -d -s bemdia -x 100 -y 50 " +
                    shell_word("sh " + shell_word(script.string()))) == 0;
  }
  ~Terminal() { tmux("kill-server"); }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool started() const { return started_; }

  void type(const std::string& text) {
    tmux("send-keys -t bemdia -l " + shell_word(text));
    tmux("send-keys -t bemdia Enter");
  }

  std::string screen() {
    std::string text;
    tmux("capture-pane -p -t bemdia", &text);
    return text;
  }

  // Polls the screen until text shows count times; false after kPatience.
  bool wait_for(const std::string& text, size_t count = 1) {
    const auto deadline = steady_clock::now() + kPatience;
    while (occurrences(screen(), text) < count) {
      if (steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(kPoll);
    }
    return true;
  }

 private:
  int tmux(const std::string& args, std::string* out = nullptr) {
    // The form's umlauts reach the screen only when tmux takes the terminal for UTF-8.
    const std::string command = "LC_ALL=C.UTF-8 tmux -u -S " + shell_word(socket_) +
                                " -f /dev/null " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
      if (out != nullptr) out->append(buffer, n);
    }
    return pclose(pipe);
  }

  std::string socket_;
  bool started_ = false;
};

class BemDiaTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v tmux >/dev/null 2>&1") != 0) {
      const char* ci = std::getenv("CI");
      if (ci != nullptr && std::string(ci) == "true") FAIL() << "tmux is not installed on CI";
      GTEST_SKIP() << "tmux is not installed";
    }
    folder_ = fs::temp_directory_path() / ("dulk-bemdia-tmux-" + std::to_string(getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

TEST_F(BemDiaTerminalTest, FormShowsTheSettingsInGermanAndOkReturnsToThePrompt) {
  Terminal terminal(folder_);
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.wait_for("Command:")) << terminal.screen();
  terminal.type("BemDia");
  ASSERT_TRUE(terminal.wait_for("OK or Cancel:")) << terminal.screen();
  const std::string form = terminal.screen();
  EXPECT_NE(form.find("Bemaßungsketten – Einstellungen"), std::string::npos) << form;
  for (const char* line :
       {"Längenfaktor                     [1]", "Führende Null (0/1)              [0]",
        "Abstand Bezugslinie - Masslinie  [0.2]", "Abstand paralleler Ketten        [0.3]",
        "< OK >", "< Cancel >"}) {
    EXPECT_NE(form.find(line), std::string::npos) << line << "\n" << form;
  }
  terminal.type("OK");
  ASSERT_TRUE(terminal.wait_for("Command:", 2)) << terminal.screen();
  EXPECT_EQ(terminal.screen().find("Error"), std::string::npos) << terminal.screen();
  // The settings went into the drawing, so QUIT asks about them.
  terminal.type("QUIT");
  ASSERT_TRUE(terminal.wait_for("Save changes to Drawing1.dxf? [Yes/No/Cancel] <Yes>:"))
      << terminal.screen();
  terminal.type("N");
}

}  // namespace
