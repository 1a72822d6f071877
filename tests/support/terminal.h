// dulk at a terminal: a tmux server of the test's own (its own socket, no configuration) holding
// one session of fixed size that runs the built dulk in a folder, for tests of what a person
// types and sees. dulk's standard error goes to dulk.err in the folder, as it would be lost with
// the pane, and its exit status to the file status when it ends.
#pragma once

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"

namespace cad::testing {

// Fails the test on CI when tmux is missing; elsewhere skips it. Call as the first line of a
// test (or SetUp): TERMINAL_OR_SKIP();
#define TERMINAL_OR_SKIP()                                                  \
  do {                                                                      \
    if (std::system("command -v tmux >/dev/null 2>&1") != 0) {              \
      if (::cad::testing::on_ci()) FAIL() << "tmux is not installed on CI"; \
      GTEST_SKIP() << "tmux is not installed";                              \
    }                                                                       \
  } while (false)

class Terminal {
 public:
  static constexpr auto kPatience = std::chrono::seconds(20);
  static constexpr auto kPoll = std::chrono::milliseconds(50);

  // Runs dulk with the arguments (shell words, quoted where needed) in folder.
  Terminal(const std::filesystem::path& folder, const std::string& dulk_args)
      : folder_(folder), socket_((folder / "tmux.sock").string()) {
    // The status file appears whole, so a poll never reads it half-written.
    std::ofstream(folder / "run.sh") << "cd " << shell_word(folder.string()) << " || exit 1\n"
                                     << shell_word(DULK_BINARY_DIR "/dulk") << " " << dulk_args
                                     << " 2>dulk.err\necho $? >status.tmp\nmv status.tmp status\n";
    started_ = tmux("new-session -d -s dulk -x 100 -y 50 " +
                    shell_word("sh " + shell_word((folder / "run.sh").string()))) == 0;
  }
  ~Terminal() { tmux("kill-server"); }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

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
    std::ifstream err(folder_ / "dulk.err");
    return screen() + "\n--- standard error:\n" +
           std::string(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  }

  // Polls until the screen shows what until asks for; false after kPatience.
  bool wait_for_screen(const std::function<bool(const std::string&)>& until) {
    return poll([&] { return until(screen()); });
  }
  // Polls until the screen shows text count times.
  bool wait_for(const std::string& text, size_t count = 1) {
    return wait_for_screen([&](const std::string& s) { return occurrences(s, text) >= count; });
  }
  // Polls until the last line the screen shows (the cursor's) is line.
  bool wait_for_last_line(const std::string& line) {
    return wait_for_screen([&](const std::string& s) {
      const size_t end = s.find_last_not_of(" \n");
      if (end == std::string::npos) return false;
      const size_t begin = s.rfind('\n', end);
      const size_t from = begin == std::string::npos ? 0 : begin + 1;
      return s.substr(from, end + 1 - from) == line;
    });
  }

  // One step of a person: the keys sent, then what the screen shows before the next step (nothing
  // when empty): the text at least times times, or with kLastLine as the last line shown.
  static constexpr size_t kLastLine = 0;
  struct Step {
    std::string keys;
    std::string shown;
    size_t times = 1;
  };
  // Plays the steps; fails the test at the first whose screen does not come.
  void play(const std::vector<Step>& steps) {
    ASSERT_TRUE(started_);
    for (const Step& step : steps) {
      send_keys(step.keys);
      if (step.shown.empty()) continue;
      ASSERT_TRUE(step.times == kLastLine ? wait_for_last_line(step.shown)
                                          : wait_for(step.shown, step.times))
          << "after " << step.keys << ", waiting for " << step.shown << "\n"
          << diagnosis();
    }
  }
  // Text sent as typed, keys by their tmux names in angle brackets: "LINE<Enter>", "<C-d>".
  void send_keys(const std::string& keys) {
    for (size_t at = 0; at < keys.size();) {
      const size_t open = std::min(keys.find('<', at), keys.size());
      if (open > at) send(keys.substr(at, open - at), true);
      if (open == keys.size()) break;
      const size_t close = keys.find('>', open);
      if (close == std::string::npos) {  // a '<' that opens no key name is text
        send(keys.substr(open), true);
        break;
      }
      send(keys.substr(open + 1, close - open - 1));
      at = close + 1;
    }
  }

  // dulk's exit status once the session ended, or -1 when it did not end in time.
  int wait_for_exit() {
    std::string status;
    if (!poll([&] {
          std::ifstream in(folder_ / "status");
          return static_cast<bool>(std::getline(in, status));
        }))
      return -1;
    if (!poll([&] { return tmux("has-session -t dulk") != 0; })) return -1;
    return std::atoi(status.c_str());
  }

  static size_t occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }

 private:
  static bool poll(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(kPoll);
    }
    return true;
  }

  int tmux(const std::string& args, std::string* out = nullptr) {
    // Umlauts reach the screen only when tmux takes the terminal for UTF-8.
    const std::string command = "LC_ALL=C.UTF-8 tmux -u -S " + shell_word(socket_) +
                                " -f /dev/null " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
      if (out != nullptr) out->append(buffer, n);
    return pclose(pipe);
  }

  std::filesystem::path folder_;
  std::string socket_;
  bool started_ = false;
};

}  // namespace cad::testing
