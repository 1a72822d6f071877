// Reading a script line by line and reply by reply.
#include "cad/input/script_source.h"

#include <fstream>
#include <sstream>
#include <utility>

#include "cad/input/line_split.h"

namespace cad {

ScriptSource::ScriptSource(std::string_view text, std::string name) : name_(std::move(name)) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    last_line_ended_ = end != std::string_view::npos;
    if (!last_line_ended_) {
      end = text.size();
    }
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    lines_.emplace_back(line);
    start = end + 1;
  }
}

std::unique_ptr<ScriptSource> ScriptSource::open(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open script '" + path + "'";
    return nullptr;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) {
    error = "cannot read script '" + path + "'";
    return nullptr;
  }
  return std::make_unique<ScriptSource>(text.str(), path);
}

Reply ScriptSource::next(bool spaces_end_reply) {
  while (line_index_ < lines_.size()) {
    const std::string& line = lines_[line_index_];
    const bool last = line_index_ + 1 == lines_.size();
    const bool used_up = pos_ > line.size() || (last && !last_line_ended_ && pos_ == line.size());
    if (used_up || (pos_ == 0 && line.starts_with(';'))) {
      ++line_index_;
      pos_ = 0;
      continue;
    }
    const int number = static_cast<int>(line_index_) + 1;
    std::string text = take_reply(line, pos_, spaces_end_reply);
    if (text == "^C") {
      return cancel_reply(number);
    }
    return text_reply(std::move(text), number);
  }
  return end_reply(static_cast<int>(lines_.size()));
}

}  // namespace cad
