// A call typed at the command prompt in the host's call form, "(Name arg ...)": the command's
// name and its arguments as replies, which the command then takes before anything else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/input/reply.h"

namespace cad {

// Whether a call is complete: its parentheses closed outside of quotes. The command line reads
// further replies into it until it is.
bool call_complete(std::string_view text);

// Takes "(Name arg ...)" apart: the name (without a "C:" prefix), then the arguments as replies
// (whole numbers, reals, texts in quotes with \ escaping the next character; anything else as
// text). Nothing when it is not such a call or names nothing.
std::optional<std::pair<std::string, std::vector<Reply>>> parse_call(std::string_view text);

}  // namespace cad
