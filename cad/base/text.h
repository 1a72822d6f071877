// Plain text helpers of the host: trimming, ASCII case (the host's rule for names of types,
// layers, styles and tables, alike in every locale) and the text of a system error.
#pragma once

#include <string>
#include <string_view>

namespace cad {

// Text without the given characters at its front, its back, or both. The characters are looked
// at one by one, which a constant set of two or three turns into as many comparisons.
inline bool is_one_of(char c, std::string_view chars) {
  for (char x : chars) {
    if (c == x) return true;
  }
  return false;
}
inline std::string_view trim_front(std::string_view s, std::string_view chars = " \t") {
  while (!s.empty() && is_one_of(s.front(), chars)) s.remove_prefix(1);
  return s;
}
inline std::string_view trim_back(std::string_view s, std::string_view chars = " \t") {
  while (!s.empty() && is_one_of(s.back(), chars)) s.remove_suffix(1);
  return s;
}
inline std::string_view trim(std::string_view s, std::string_view chars = " \t") {
  return trim_back(trim_front(s, chars), chars);
}

inline char ascii_upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char32_t ascii_upper(char32_t c) { return c >= U'a' && c <= U'z' ? c - (U'a' - U'A') : c; }
inline char32_t ascii_lower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c; }

// Case-insensitive (ASCII) comparison. Inline: names are compared by the hundred per command.
inline bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (a[k] != b[k] && ascii_upper(a[k]) != ascii_upper(b[k])) return false;
  }
  return true;
}
std::string to_upper(std::string_view s);
std::string to_lower(std::string_view s);

// strerror(error) with a lower-case first letter, as the host's messages are.
std::string errno_text(int error);

}  // namespace cad
