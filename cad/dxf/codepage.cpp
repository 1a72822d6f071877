#include "cad/dxf/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "cad/base/text.h"
#include "cad/base/utf8.h"

namespace cad {

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

// The iconv name of a $DWGCODEPAGE value, empty when unknown.
std::string iconv_name(std::string_view dwg_name) {
  std::string name = to_upper(dwg_name);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  auto digits = [](std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  std::string_view n = name;
  if (n == "ANSI_950") return "BIG5";
  if (n == "ANSI_1361") return "JOHAB";
  if (n.starts_with("ANSI_") && digits(n.substr(5))) return "CP" + std::string(n.substr(5));
  if (n.starts_with("DOS") && digits(n.substr(3))) return "CP" + std::string(n.substr(3));
  if (n.starts_with("ISO8859-") && digits(n.substr(8)))
    return "ISO-8859-" + std::string(n.substr(8));
  if (n == "MAC-ROMAN") return "MACINTOSH";
  if (n == "BIG5" || n == "JOHAB" || n == "GB2312") return name;
  if (n == "KSC5601") return "CP949";
  return {};
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The UTF-16 unit of a "\U+XXXX" escape at text[pos], or -1.
int escape_at(std::string_view text, size_t pos) {
  if (pos + 7 > text.size() || text[pos] != '\\' ||
      (text[pos + 1] != 'U' && text[pos + 1] != 'u') || text[pos + 2] != '+')
    return -1;
  int value = 0;
  for (size_t k = pos + 3; k < pos + 7; ++k) {
    int h = hex_value(text[k]);
    if (h < 0) return -1;
    value = value * 16 + h;
  }
  return value;
}

// Appends text with its \U+XXXX escapes replaced; escapes that name no character (NUL, a lone
// surrogate) stay as they are.
void unescape(std::string_view text, std::string& out) {
  size_t k = 0;
  while (k < text.size()) {
    size_t slash = text.find('\\', k);
    if (slash == std::string_view::npos) break;
    out.append(text.substr(k, slash - k));
    int unit = escape_at(text, slash);
    if (unit >= 0xD800 && unit < 0xDC00) {
      int low = escape_at(text, slash + 7);
      if (low >= 0xDC00 && low < 0xE000) {
        append_utf8(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                        (static_cast<char32_t>(low) - 0xDC00),
                    out);
        k = slash + 14;
        continue;
      }
    } else if (unit > 0 && (unit < 0xDC00 || unit >= 0xE000)) {
      append_utf8(static_cast<char32_t>(unit), out);
      k = slash + 7;
      continue;
    }
    out.push_back('\\');
    k = slash + 1;
  }
  out.append(text.substr(k));
}

void append_escape(char32_t c, std::string& out) {
  static const char kHex[] = "0123456789ABCDEF";
  auto unit = [&](char32_t u) {
    out.append("\\U+");
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(u >> shift) & 0xF]);
  };
  if (c < 0x10000) {
    unit(c);
    return;
  }
  c -= 0x10000;
  unit(0xD800 + (c >> 10));
  unit(0xDC00 + (c & 0x3FF));
}

}  // namespace

void caret_decode(std::string_view text, std::string& out) {
  for (size_t k = 0; k < text.size(); ++k) {
    char c = text[k];
    if (c == '^' && k + 1 < text.size()) {
      char next = text[k + 1];
      if (next == ' ') {
        out.push_back('^');
        ++k;
        continue;
      }
      if (next >= '@' && next <= '_') {
        out.push_back(static_cast<char>(next - '@'));
        ++k;
        continue;
      }
    }
    out.push_back(c);
  }
}

void caret_encode(std::string_view text, std::string& out) {
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (c == '^') {
      out += "^ ";
    } else if (b < 0x20) {
      out.push_back('^');
      out.push_back(static_cast<char>(b + '@'));
    } else {
      out.push_back(c);
    }
  }
}

TextCodec::TextCodec() { set_code_page("ANSI_1252"); }

TextCodec::~TextCodec() { close(); }

void TextCodec::close() {
  if (to_utf8_) iconv_close(static_cast<iconv_t>(to_utf8_));
  if (from_utf8_) iconv_close(static_cast<iconv_t>(from_utf8_));
  to_utf8_ = from_utf8_ = nullptr;
}

void TextCodec::set_utf8() {
  close();
  utf8_ = true;
}

// The table of a single-byte code page, from iconv's conversion of each byte above ASCII; null
// when one of them begins a longer sequence.
std::unique_ptr<const TextCodec::ByteTable> TextCodec::build_table(void* to_utf8) {
  iconv_t to = static_cast<iconv_t>(to_utf8);
  auto table = std::make_unique<ByteTable>();
  for (int b = 0x80; b < 0x100; ++b) {
    char in = static_cast<char>(b);
    char buf[8] = {};
    char* in_ptr = &in;
    size_t in_left = 1;
    char* out_ptr = buf;
    size_t out_left = sizeof buf;
    iconv(to, nullptr, nullptr, nullptr, nullptr);
    size_t res = iconv(to, &in_ptr, &in_left, &out_ptr, &out_left);
    if (res == static_cast<size_t>(-1) && errno == EINVAL) return nullptr;
    std::string utf8;
    if (res == static_cast<size_t>(-1) || out_ptr == buf)
      append_utf8(static_cast<char32_t>(b), utf8);
    else
      utf8.assign(buf, out_ptr);
    std::copy_n(utf8.begin(), std::min<size_t>(utf8.size(), 4),
                table->high[static_cast<size_t>(b - 0x80)].begin());
    if (res != static_cast<size_t>(-1) && out_ptr != buf)
      table->reverse.emplace_back(decode_utf8(utf8, 0).code, static_cast<uint8_t>(b));
  }
  std::sort(table->reverse.begin(), table->reverse.end());
  return table;
}

// Each code page is asked of iconv once for the process, at its first use: as few are in use
// and every drawing read names one, the tables stay.
bool TextCodec::byte_table(const std::string& iconv_name, const ByteTable*& table) {
  struct Known {
    bool convertible = false;
    std::unique_ptr<const ByteTable> table;
  };
  static std::mutex guard;
  static std::map<std::string, Known, std::less<>> pages;
  const std::lock_guard<std::mutex> lock(guard);
  auto found = pages.find(iconv_name);
  if (found == pages.end()) {
    Known known;
    iconv_t to = iconv_open("UTF-8", iconv_name.c_str());
    iconv_t from = to == kNoIconv ? kNoIconv : iconv_open(iconv_name.c_str(), "UTF-8");
    known.convertible = to != kNoIconv && from != kNoIconv;
    if (known.convertible) known.table = build_table(to);
    if (from != kNoIconv) iconv_close(from);
    if (to != kNoIconv) iconv_close(to);
    found = pages.emplace(iconv_name, std::move(known)).first;
  }
  table = found->second.table.get();
  return found->second.convertible;
}

bool TextCodec::set_code_page(std::string_view name) {
  const std::string iname = iconv_name(name);
  const ByteTable* table = nullptr;
  iconv_t to = kNoIconv;
  iconv_t from = kNoIconv;
  bool known = !iname.empty() && byte_table(iname, table);
  if (known && !table) {
    to = iconv_open("UTF-8", iname.c_str());
    from = to == kNoIconv ? kNoIconv : iconv_open(iname.c_str(), "UTF-8");
    known = to != kNoIconv && from != kNoIconv;
    if (!known && to != kNoIconv) iconv_close(to);
  }
  if (!known) {
    if (iname != "CP1252") set_code_page("ANSI_1252");
    return false;
  }
  close();
  utf8_ = false;
  table_ = table;
  backslash_.clear();
  if (!table) {
    to_utf8_ = to;
    from_utf8_ = from;
    decode_multibyte("\\", backslash_);
    if (backslash_ == "\\") backslash_.clear();
  }
  return true;
}

void TextCodec::decode_multibyte(std::string_view bytes, std::string& out) const {
  if (!backslash_.empty()) {
    std::string converted;
    decode_multibyte_iconv(bytes, converted);
    for (size_t k = 0, at; k < converted.size(); k = at + backslash_.size()) {
      at = std::min(converted.find(backslash_, k), converted.size());
      out.append(converted, k, at - k);
      if (at < converted.size()) out.push_back('\\');
    }
    return;
  }
  decode_multibyte_iconv(bytes, out);
}

void TextCodec::decode_multibyte_iconv(std::string_view bytes, std::string& out) const {
  iconv_t cd = static_cast<iconv_t>(to_utf8_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in_ptr = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char buf[256];
  while (in_left > 0) {
    char* out_ptr = buf;
    size_t out_left = sizeof buf;
    size_t res = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buf, out_ptr);
    if (res == static_cast<size_t>(-1) && errno != E2BIG) {
      append_utf8(static_cast<unsigned char>(*in_ptr), out);
      ++in_ptr;
      --in_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
}

void TextCodec::decode(std::string_view bytes, std::string& out, bool carets) const {
  if (plain(bytes)) {
    out.append(bytes);
    return;
  }
  std::string converted;
  std::string_view text = bytes;
  if (utf8_) {
    // The drawing keeps UTF-8 whatever the file holds: a byte of no valid sequence is the
    // character of its number, as a byte a code page does not define is, so that writing the
    // text in any code page gives it back.
    if (const size_t valid = valid_utf8_prefix(bytes); valid < bytes.size()) {
      converted.reserve(bytes.size() + 8);
      converted.append(bytes.substr(0, valid));
      for (size_t k = valid; k < bytes.size();) {
        const Utf8Char c = decode_utf8(bytes, k);
        append_utf8(c.code, converted);
        k += c.size;
      }
      text = converted;
    }
  } else {
    converted.reserve(bytes.size() + 8);
    if (table_) {
      for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80) {
          converted.push_back(c);
          continue;
        }
        const std::array<char, 4>& slot = table_->high[b - 0x80];
        converted.append(slot.data(), strnlen(slot.data(), slot.size()));
      }
    } else {
      decode_multibyte(bytes, converted);
    }
    text = converted;
  }
  if (carets && text.find('^') != std::string_view::npos) {
    std::string plain;
    plain.reserve(text.size());
    caret_decode(text, plain);
    unescape(plain, out);
    return;
  }
  unescape(text, out);
}

bool TextCodec::encode_multibyte(char32_t c, std::string& out) const {
  std::string utf8;
  append_utf8(c, utf8);
  iconv_t cd = static_cast<iconv_t>(from_utf8_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in_ptr = utf8.data();
  size_t in_left = utf8.size();
  char buf[16];
  char* out_ptr = buf;
  size_t out_left = sizeof buf;
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) return false;
  // Some code pages write several characters as one (dos932 writes U+2014 as the bytes it reads
  // as U+2015): those take an escape, so that reading gives back the character written.
  iconv_t back = static_cast<iconv_t>(to_utf8_);
  iconv(back, nullptr, nullptr, nullptr, nullptr);
  char* bytes_ptr = buf;
  size_t bytes_left = static_cast<size_t>(out_ptr - buf);
  char again[16];
  char* again_ptr = again;
  size_t again_left = sizeof again;
  if (iconv(back, &bytes_ptr, &bytes_left, &again_ptr, &again_left) == static_cast<size_t>(-1) ||
      std::string_view(again, static_cast<size_t>(again_ptr - again)) != utf8)
    return false;
  out.append(buf, out_ptr);
  return true;
}

void TextCodec::encode(std::string_view text, std::string& out, bool carets) const {
  if (plain(text)) {
    out.append(text);
    return;
  }
  std::string encoded;
  if (carets) {
    encoded.reserve(text.size() + 8);
    caret_encode(text, encoded);
  }
  std::string_view utf8 = carets ? std::string_view(encoded) : text;
  if (utf8_) {
    out.append(utf8);
    return;
  }
  size_t k = 0;
  while (k < utf8.size()) {
    const Utf8Char next = decode_utf8(utf8, k);
    const char32_t c = next.code;
    k += next.size;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (table_) {
      const auto& reverse = table_->reverse;
      auto it = std::lower_bound(reverse.begin(), reverse.end(), std::make_pair(c, uint8_t{0}));
      if (it != reverse.end() && it->first == c) {
        out.push_back(static_cast<char>(it->second));
        continue;
      }
    } else if (encode_multibyte(c, out)) {
      continue;
    }
    append_escape(c, out);
  }
}

}  // namespace cad
