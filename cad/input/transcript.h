// The host's command line as text: everything the host prints, prompts and the replies given to
// them, forwarded to an output stream and kept for tests and for the record of a run.
#pragma once

#include <iostream>
#include <string>
#include <string_view>

namespace cad {

// The host's prompts and messages begin with "\n" and never end with one, because the real
// command line leaves the cursor behind a reply. Here a reply is followed by a line end at once
// (so that the output reads well line by line), and that line end stands for the "\n" the next
// output begins with: one leading "\n" of the next print is absorbed, so no empty line appears.
class Transcript {
 public:
  // out: where the text goes as it is printed; nullptr keeps the host quiet.
  explicit Transcript(std::ostream* out = &std::cout);
  // Writes a line held back for the line editor.
  ~Transcript();
  Transcript(const Transcript&) = delete;
  Transcript& operator=(const Transcript&) = delete;

  void set_output(std::ostream* out);

  // UTF-8 text as the host prints it.
  void print(std::string_view utf8);
  // Ends the line behind a reply.
  void end_line();
  // A reply the person typed on the terminal: the terminal shows it and the line end already,
  // so it is only recorded.
  void typed(std::string_view reply);

  // Whether replies from a command's token list are shown (the host's CMDECHO).
  bool echo() const { return echo_; }
  void set_echo(bool echo) { echo_ = echo; }

  // Everything printed since the start or the last clear().
  const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

  // For a line editor that shows the prompt itself: while holding, the unfinished last line is
  // not written to the output until its line ends or someone takes it.
  void set_hold_open_line(bool hold);
  // The unfinished line not yet written (the prompt); the taker shows it. Flushes the output.
  std::string take_open_line();

 private:
  void write(std::string_view text);

  std::ostream* out_;
  std::string text_;
  std::string held_;
  bool hold_ = false;
  bool absorb_line_end_ = false;
  bool echo_ = true;
};

}  // namespace cad
