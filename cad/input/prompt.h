// A prompt of a command, written once: the command asks it, HELP lists it. In its text "{name}"
// stands for what the command fills in when it asks (a name, a value); HELP shows it as "<name>".
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace cad {

struct Prompt {
  const char* text;  // as HELP lists it, without the line break before it and the blank after
};

// The prompt as the command line shows it: on a line of its own, a blank after it, the values in
// the places of its "{...}" in turn.
std::string shown(Prompt prompt, std::initializer_list<std::string_view> values = {});

// The prompt as HELP lists it: each "{name}" as "<name>", a default "<{name}>" as "<name>".
std::string listed(Prompt prompt);

}  // namespace cad
