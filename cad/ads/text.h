// Conversion between the interface's wide text (ACHAR, UTF-32 on Linux) and the host's UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cad {

// Code units that are no character (surrogate halves, numbers beyond U+10FFFF) become U+FFFD.
std::string to_utf8(std::wstring_view text);
// Whether every code unit is a character, so that to_utf8 changes nothing; nullptr is none.
bool valid_wide(const wchar_t* text);
// nullptr gives the empty text.
std::string to_utf8(const wchar_t* text);
// Invalid UTF-8 bytes become U+FFFD.
std::wstring to_wide(std::string_view text);

}  // namespace cad
