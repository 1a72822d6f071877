#include "cad/ads/text.h"

namespace cad {

std::string to_utf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool valid_wide(const wchar_t* text) {
  if (!text) return false;
  for (; *text; ++text) {
    const auto c = static_cast<char32_t>(*text);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  }
  return true;
}

std::string to_utf8(const wchar_t* text) { return text ? to_utf8(std::wstring_view(text)) : ""; }

std::wstring to_wide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t k = 0;
  while (k < text.size()) {
    auto b = static_cast<unsigned char>(text[k]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || k + static_cast<size_t>(extra) >= text.size()) {
      out += L'\uFFFD';
      ++k;
      continue;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool ok = true;
    for (int n = 1; n <= extra; ++n) {
      auto cont = static_cast<unsigned char>(text[k + static_cast<size_t>(n)]);
      if ((cont & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (cont & 0x3F);
    }
    if (!ok) {
      out += L'\uFFFD';
      ++k;
      continue;
    }
    out += static_cast<wchar_t>(c);
    k += static_cast<size_t>(extra) + 1;
  }
  return out;
}

}  // namespace cad
