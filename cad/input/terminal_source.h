// Replies typed by a person at the terminal, with line editing and history (libedit).
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "cad/input/reply.h"
#include "cad/input/transcript.h"

struct editline;
struct history;

namespace cad {

// A typed line falls apart into replies as a script line does (a blank or the line end ends a
// reply), so "LINE 0,0 1,1" answers three prompts. Esc, and Ctrl-C too, answers the prompt with
// Esc (kCancel) and drops the rest of the line. Ctrl-D on an empty line answers kEnd once: the
// person means to leave, and may still be asked whether to save; only the end of the terminal's
// input (ended()) ends the source for good. F1 shows help (set_help) and asks the same prompt
// again, with what was typed.
// The line editor shows the transcript's unfinished line (the prompt) itself, so that it can
// redraw it; the transcript is set to hold that line back while this source lives.
// Text is UTF-8: the terminal's character type is taken from the environment, and set to
// C.UTF-8 when that is not UTF-8.
class TerminalSource : public ReplySource {
 public:
  // The line editor draws on out (the terminal the transcript goes to).
  explicit TerminalSource(Transcript& transcript, FILE* out = stdout);
  ~TerminalSource() override;
  TerminalSource(const TerminalSource&) = delete;
  TerminalSource& operator=(const TerminalSource&) = delete;

  Reply next(bool spaces_end_reply) override;
  bool interactive() const override { return true; }
  // The terminal's input has ended (not just Ctrl-D pressed): nothing more can be read.
  bool ended() const { return ended_; }

  // What F1 shows; it prints through the transcript.
  void set_help(std::function<void()> help) { help_ = std::move(help); }

 private:
  static char* prompt_of(editline* editor);
  static unsigned char cancel_key(editline* editor, int key);
  static unsigned char end_key(editline* editor, int key);
  static unsigned char help_key(editline* editor, int key);
  // Reads a key for the line editor: Esc alone becomes the cancel key, while the Esc that begins
  // a key's sequence (arrows, F1) goes through as it is.
  static int read_key(editline* editor, wchar_t* key);
  // The next byte of input, or -1 at its end; with a pause, -1 also when none comes within it.
  int next_byte(int pause_ms = -1);

  Transcript& transcript_;
  editline* editor_ = nullptr;
  history* history_ = nullptr;
  std::string prompt_;
  std::optional<std::string> line_;
  size_t pos_ = 0;
  int line_number_ = 0;
  bool cancelled_ = false;
  bool end_pressed_ = false;
  bool helped_ = false;
  bool ended_ = false;
  std::function<void()> help_;
  int input_fd_ = 0;
  // A byte read after Esc that belongs to the next key.
  int pending_ = -1;
};

}  // namespace cad
