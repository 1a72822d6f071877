// Replies from a script in the host's script form: what a person would type, one reply after
// another.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/input/reply.h"

namespace cad {

// The script form:
//   - a line end ends a reply; so does a blank, unless the prompt takes text with blanks (then
//     the reply is the rest of the line); two blanks in a row are a reply and then an Enter;
//   - an empty line is Enter, and so is the empty rest of a line that ends in a blank;
//   - a line beginning with ";" is a comment and gives no reply at all, not even Enter;
//   - the reply "^C" is Esc (kCancel);
//   - after the last reply every call answers kEnd, with the number of the last line.
// "\r\n" line ends and a leading UTF-8 byte order mark are accepted. Text is UTF-8.
class ScriptSource : public ReplySource {
 public:
  // name: how messages call the script (usually its file name).
  ScriptSource(std::string_view text, std::string name);
  // Nullptr when the file cannot be read; error then says why.
  static std::unique_ptr<ScriptSource> open(const std::string& path, std::string& error);

  Reply next(bool spaces_end_reply) override;
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  std::vector<std::string> lines_;
  // Whether the last line has a line end: its empty rest is an Enter only then.
  bool last_line_ended_ = true;
  size_t line_index_ = 0;
  size_t pos_ = 0;
};

}  // namespace cad
