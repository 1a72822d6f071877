// How one line of a script or of the terminal falls apart into replies: a blank or the line end
// ends a reply, so two blanks in a row are a reply and then an Enter, as the host reads scripts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cad {

// Takes the next reply from a line held without its line end, starting at pos, and moves pos
// past the blank or line end that ended it: pos is line.size() + 1 once the line end has been
// used, and the line has nothing more to give. With spaces_end_reply false the reply is the rest
// of the line, blanks included.
std::string take_reply(std::string_view line, size_t& pos, bool spaces_end_reply);

}  // namespace cad
