#include "cad/base/utf8.h"

namespace cad {

namespace {

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool is_character(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

}  // namespace

std::u32string code_points(std::string_view text, std::vector<size_t>* offsets) {
  std::u32string result;
  result.reserve(text.size());
  for (size_t k = 0; k < text.size();) {
    const Utf8Char c = decode_utf8(text, k);
    if (offsets) offsets->push_back(k);
    result.push_back(c.code);
    k += c.size;
  }
  if (offsets) offsets->push_back(text.size());
  return result;
}

void append_utf8(char32_t c, std::string& out) {
  if (!is_character(c)) c = 0xFFFD;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

size_t utf8_length(std::string_view text) {
  size_t chars = 0;
  for (char c : text) chars += !is_continuation(c);
  return chars;
}

std::string truncate_utf8(std::string_view text, size_t max_chars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (is_continuation(text[i])) continue;
    if (chars == max_chars) return std::string(text.substr(0, i));
    ++chars;
  }
  return std::string(text);
}

std::string to_utf8(std::wstring_view text) {
  // Interface text is mostly ASCII (names, keywords, numbers): that part is copied unit by unit,
  // without the encoder.
  std::string out(text.size(), '\0');
  size_t ascii = 0;
  while (ascii < text.size() && static_cast<char32_t>(text[ascii]) < 0x80) {
    out[ascii] = static_cast<char>(text[ascii]);
    ++ascii;
  }
  if (ascii == text.size()) return out;
  out.resize(ascii);
  out.reserve(text.size() + 8);
  for (size_t k = ascii; k < text.size(); ++k) append_utf8(static_cast<char32_t>(text[k]), out);
  return out;
}

std::string to_utf8(const wchar_t* text) { return text ? to_utf8(std::wstring_view(text)) : ""; }

bool valid_wide(const wchar_t* text) {
  if (!text) return false;
  for (; *text; ++text) {
    if (!is_character(static_cast<char32_t>(*text))) return false;
  }
  return true;
}

std::wstring to_wide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t k = 0; k < text.size();) {
    const Utf8Char c = decode_utf8(text, k);
    out.push_back(c.valid ? static_cast<wchar_t>(c.code) : L'\uFFFD');
    k += c.size;
  }
  return out;
}

}  // namespace cad
