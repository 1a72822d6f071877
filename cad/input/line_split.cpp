// Splitting a line into replies.
#include "cad/input/line_split.h"

namespace cad {

std::string take_reply(std::string_view line, size_t& pos, bool spaces_end_reply) {
  if (pos > line.size()) {
    return {};
  }
  size_t end = spaces_end_reply ? line.find(' ', pos) : std::string_view::npos;
  if (end == std::string_view::npos) {
    end = line.size();
  }
  std::string reply(line.substr(pos, end - pos));
  pos = end + 1;
  return reply;
}

}  // namespace cad
