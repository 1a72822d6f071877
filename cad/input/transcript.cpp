// Printing to the command line and keeping its text.
#include "cad/input/transcript.h"

namespace cad {

Transcript::Transcript(std::ostream* out) : out_(out) {}

Transcript::~Transcript() { set_hold_open_line(false); }

void Transcript::set_output(std::ostream* out) { out_ = out; }

void Transcript::print(std::string_view utf8) {
  if (absorb_line_end_ && utf8.starts_with('\n')) {
    utf8.remove_prefix(1);
  }
  if (utf8.empty()) {
    return;
  }
  absorb_line_end_ = false;
  text_ += utf8;
  write(utf8);
}

void Transcript::end_line() {
  text_ += '\n';
  write("\n");
  absorb_line_end_ = true;
}

void Transcript::typed(std::string_view reply) {
  text_ += reply;
  text_ += '\n';
  absorb_line_end_ = true;
}

void Transcript::set_hold_open_line(bool hold) {
  hold_ = hold;
  if (!hold_ && !held_.empty()) {
    const std::string held = std::move(held_);
    held_.clear();
    write(held);
  }
}

std::string Transcript::take_open_line() {
  std::string open = std::move(held_);
  held_.clear();
  if (out_) {
    out_->flush();
  }
  return open;
}

void Transcript::write(std::string_view text) {
  if (!out_) {
    return;
  }
  if (!hold_) {
    *out_ << text;
    return;
  }
  held_ += text;
  const size_t line_end = held_.rfind('\n');
  if (line_end != std::string::npos) {
    *out_ << std::string_view(held_).substr(0, line_end + 1);
    held_.erase(0, line_end + 1);
  }
}

}  // namespace cad
