// UTF-8 text, the host's text everywhere but at its edges: one decoder with one rule for bytes
// that are no character, one encoder, and the conversion to and from the interface's wide text
// (ACHAR, UTF-32 on Linux).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// One character of UTF-8 text: its code point and how many bytes it takes.
struct Utf8Char {
  char32_t code;
  size_t size;
  bool valid;
};

// The character at text[pos] (pos < text.size()). The decoder is strict: a sequence that is cut
// short, has a stray or missing continuation byte, is overlong, encodes a surrogate or a number
// beyond U+10FFFF is no character. Then the byte at pos alone is taken, invalid, with its own
// number as code (0x80-0xFF), so that a caller may keep it as that Latin-1 character (what the DXF
// reader does with the bytes of a broken file) or replace it.
inline Utf8Char decode_utf8(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {lead, 1, true};
  const size_t size = lead >= 0xC2 && lead <= 0xDF   ? 2
                      : lead >= 0xE0 && lead <= 0xEF ? 3
                      : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                     : 0;
  if (size == 0 || size > text.size() - pos) return {lead, 1, false};
  char32_t code = lead & (0x7F >> size);
  for (size_t k = 1; k < size; ++k) {
    const auto next = static_cast<unsigned char>(text[pos + k]);
    if ((next & 0xC0) != 0x80) return {lead, 1, false};
    code = (code << 6) | (next & 0x3F);
  }
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return {lead, 1, false};
  return {code, size, true};
}

// The length of the valid UTF-8 that text starts with.
inline size_t valid_utf8_prefix(std::string_view text) {
  size_t k = 0;
  while (k < text.size()) {
    if (static_cast<unsigned char>(text[k]) < 0x80) {
      ++k;
      continue;
    }
    const Utf8Char c = decode_utf8(text, k);
    if (!c.valid) break;
    k += c.size;
  }
  return k;
}

inline bool valid_utf8(std::string_view text) { return valid_utf8_prefix(text) == text.size(); }

// The code points of text, each byte of no valid sequence standing for its own number. With
// offsets, also the byte where each code point begins, and the text's size after the last.
std::u32string code_points(std::string_view text, std::vector<size_t>* offsets = nullptr);

// Appends a code point as UTF-8; a number that is no character (a surrogate, beyond U+10FFFF)
// becomes U+FFFD.
void append_utf8(char32_t c, std::string& out);

// The number of characters of text, counted by their lead bytes: every byte that is no
// continuation byte counts one.
size_t utf8_length(std::string_view text);
// The first max_chars characters of text (counted as utf8_length counts), never cutting one in
// two.
std::string truncate_utf8(std::string_view text, size_t max_chars);

// Wide text as UTF-8: code units that are no character (surrogate halves, numbers beyond
// U+10FFFF) become U+FFFD; nullptr gives the empty text.
std::string to_utf8(std::wstring_view text);
std::string to_utf8(const wchar_t* text);
// Whether every code unit is a character, so that to_utf8 changes nothing; nullptr is none.
bool valid_wide(const wchar_t* text);
// UTF-8 as wide text: each byte of no valid sequence becomes U+FFFD.
std::wstring to_wide(std::string_view text);

}  // namespace cad
