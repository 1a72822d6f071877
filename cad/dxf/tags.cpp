#include "cad/dxf/tags.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace cad {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// A value quoted in a message: printable, and short.
std::string quoted(std::string_view s) {
  std::string out = "'";
  for (size_t k = 0; k < s.size() && k < 40; ++k) {
    unsigned char c = static_cast<unsigned char>(s[k]);
    out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
  }
  if (s.size() > 40) out += "...";
  out += "'";
  return out;
}

bool parse_double(std::string_view text, double& value) {
  std::string_view t = trim(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto res = std::from_chars(t.data(), t.data() + t.size(), value);
  return res.ec == std::errc() && res.ptr == t.data() + t.size();
}

bool parse_integer(std::string_view text, int64_t& value) {
  std::string_view t = trim(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto res = std::from_chars(t.data(), t.data() + t.size(), value);
  if (res.ec == std::errc() && res.ptr == t.data() + t.size()) return true;
  // Some programs write integers as reals ("1.0"); a whole number is taken.
  double d = 0;
  if (!parse_double(t, d) || d != std::floor(d) || std::fabs(d) > 9e18) return false;
  value = static_cast<int64_t>(d);
  return true;
}

template <typename T>
T load(const char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
    unsigned char* b = reinterpret_cast<unsigned char*>(&value);
    for (size_t k = 0; k < sizeof(T) / 2; ++k) std::swap(b[k], b[sizeof(T) - 1 - k]);
  }
  return value;
}

void append_hex(std::string_view bytes, std::string& out) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0xF]);
  }
}

// group_type() for every code files use, looked up rather than decided range by range: reading
// asks for every tag.
GroupType type_of(int code) {
  static const auto kTable = [] {
    std::array<GroupType, 1072> table{};
    for (size_t k = 0; k < table.size(); ++k) table[k] = group_type(static_cast<int>(k));
    return table;
  }();
  return code >= 0 && static_cast<size_t>(code) < kTable.size() ? kTable[static_cast<size_t>(code)]
                                                                : group_type(code);
}

// A group code line: digits with blanks on either side (and a sign); false for anything else.
bool parse_code(std::string_view line, int& code) {
  size_t k = 0;
  size_t n = line.size();
  while (k < n && (line[k] == ' ' || line[k] == '\t')) ++k;
  while (n > k && (line[n - 1] == ' ' || line[n - 1] == '\t' || line[n - 1] == '\r')) --n;
  if (k == n) return false;
  bool negative = line[k] == '-';
  if (negative || line[k] == '+') ++k;
  if (k == n || n - k > 9) return false;
  int value = 0;
  for (; k < n; ++k) {
    char c = line[k];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  code = negative ? -value : value;
  return true;
}

// Shortest text of a double that reads back exactly, without an exponent for moderate values.
std::string shortest(double value, bool fixed) {
  char buf[400];
  auto res = fixed ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                   : std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

}  // namespace

// ---- TagReader ----

TagReader::TagReader(std::string_view data) : data_(data) {
  if (data_.starts_with(kBinarySentinel)) {
    binary_ = true;
    pos_ = kBinarySentinel.size();
    // The first tag is "0 SECTION": a second zero byte means 2-byte group codes.
    two_byte_codes_ = data_.size() > pos_ + 1 && data_[pos_] == 0 && data_[pos_ + 1] == 0;
  } else if (data_.starts_with("\xEF\xBB\xBF")) {
    pos_ = 3;
  }
}

std::string TagReader::where(size_t pos) const {
  return (binary_ ? "byte " : "line ") + std::to_string(pos);
}

std::string TagReader::where_end() const { return where(binary_ ? data_.size() : line_); }

bool TagReader::fail(size_t pos, std::string message) {
  error_ = where(pos) + ": " + message;
  ended_ = true;
  return false;
}

std::string_view TagReader::take_line() {
  // DXF lines are short: a plain loop beats calling memchr for each.
  const char* begin = data_.data() + pos_;
  const char* end = data_.data() + data_.size();
  const char* p = begin;
  while (p != end && *p != '\n') ++p;
  size_t len = static_cast<size_t>(p - begin);
  pos_ += p == end ? len : len + 1;
  ++line_;
  if (len > 0 && begin[len - 1] == '\r') --len;
  return {begin, len};
}

bool TagReader::next(Tag& tag) {
  if (ended_) return false;
  return binary_ ? next_binary(tag) : next_ascii(tag);
}

bool TagReader::next_ascii(Tag& tag) {
  if (pos_ >= data_.size()) {
    ended_ = true;
    return false;
  }
  std::string_view code_text = take_line();
  size_t code_line = line_;
  int code = 0;
  if (!parse_code(code_text, code)) {
    // Blank lines at the very end (after a final ENDSEC without EOF) end the data.
    if (trim(code_text).empty() &&
        data_.find_first_not_of(" \t\r\n", pos_) == std::string_view::npos) {
      ended_ = true;
      return false;
    }
    return fail(code_line, "expected a group code, got " + quoted(trim(code_text)));
  }
  if (pos_ >= data_.size())
    return fail(code_line, "group code " + std::to_string(code) + " has no value (the file ends)");
  tag.code = code;
  tag.value = take_line();
  tag.pos = code_line;
  if (code == 0 && tag.value.size() >= 3 && trim(tag.value) == "EOF") {
    ended_ = true;
    return false;
  }
  return true;
}

bool TagReader::next_binary(Tag& tag) {
  if (pos_ >= data_.size()) {
    ended_ = true;
    return false;
  }
  size_t start = pos_;
  size_t left = data_.size() - pos_;
  const char* p = data_.data() + pos_;
  int code = 0;
  if (two_byte_codes_) {
    if (left < 2) return fail(start, "the file ends inside a group code");
    code = load<uint16_t>(p);
    pos_ += 2;
  } else {
    unsigned char b = static_cast<unsigned char>(*p);
    if (b == 255) {
      if (left < 3) return fail(start, "the file ends inside a group code");
      code = load<uint16_t>(p + 1);
      pos_ += 3;
    } else {
      code = b;
      pos_ += 1;
    }
  }
  tag.code = code;
  tag.pos = start;
  p = data_.data() + pos_;
  left = data_.size() - pos_;
  auto need = [&](size_t n) {
    if (left >= n) return true;
    return fail(start, "the file ends inside the value of group code " + std::to_string(code) +
                           " (" + std::to_string(n) + " bytes expected)");
  };
  switch (type_of(code)) {
    case GroupType::kPoint:
    case GroupType::kReal:
      if (!need(8)) return false;
      tag.real = load<double>(p);
      pos_ += 8;
      return true;
    case GroupType::kInt16:
      if (!need(2)) return false;
      tag.integer = load<int16_t>(p);
      pos_ += 2;
      return true;
    case GroupType::kInt32:
      if (!need(4)) return false;
      tag.integer = load<int32_t>(p);
      pos_ += 4;
      return true;
    case GroupType::kInt64:
      if (!need(8)) return false;
      tag.integer = load<int64_t>(p);
      pos_ += 8;
      return true;
    case GroupType::kBool:
      if (!need(1)) return false;
      tag.integer = static_cast<unsigned char>(*p);
      pos_ += 1;
      return true;
    case GroupType::kBinary: {
      if (!need(1)) return false;
      size_t len = static_cast<unsigned char>(*p);
      if (!need(1 + len)) return false;
      tag.value = std::string_view(p + 1, len);
      pos_ += 1 + len;
      return true;
    }
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kComment:
      break;
  }
  const void* nul = std::memchr(p, 0, left);
  if (!nul)
    return fail(start, "the file ends inside the text of group code " + std::to_string(code) +
                           " (no terminating zero byte)");
  size_t len = static_cast<size_t>(static_cast<const char*>(nul) - p);
  tag.value = std::string_view(p, len);
  pos_ += len + 1;
  if (code == 0 && tag.value == "EOF") {
    ended_ = true;
    return false;
  }
  return true;
}

// ---- GroupReader ----

GroupReader::GroupReader(std::string_view data) : tags_(data) {}

bool GroupReader::take(Tag& tag) {
  if (has_held_) {
    tag = held_;
    has_held_ = false;
    return true;
  }
  if (tags_.next(tag)) return true;
  if (!tags_.error().empty()) error_ = tags_.error();
  return false;
}

std::string GroupReader::where_value(const Tag& tag) const {
  return tags_.where(tags_.binary() ? tag.pos : tag.pos + 1);
}

bool GroupReader::number(const Tag& tag, double& value) {
  if (tags_.binary()) {
    value = tag.real;
    return true;
  }
  if (parse_double(tag.value, value)) return true;
  error_ = where_value(tag) + ": group code " + std::to_string(tag.code) +
           " expects a number, got " + quoted(trim(tag.value));
  return false;
}

bool GroupReader::next(Group& group) {
  Tag tag;
  if (!take(tag)) return false;
  pos_ = tag.pos;
  if (type_of(tag.code) != GroupType::kPoint) return convert(tag, group);
  group.code = tag.code;
  group.dims = 1;
  double v[3] = {0, 0, 0};
  if (!number(tag, v[0])) return false;
  // A point's y and z follow its x directly; anything else ends the point.
  for (int axis = 1; axis <= 2; ++axis) {
    Tag next;
    if (!take(next)) {
      if (!error_.empty()) return false;
      break;
    }
    if (next.code != tag.code + 10 * axis) {
      held_ = next;
      has_held_ = true;
      break;
    }
    if (!number(next, v[axis])) return false;
    group.dims = static_cast<uint8_t>(axis + 1);
  }
  group.set_pt({v[0], v[1], v[2]});
  return true;
}

bool GroupReader::convert(const Tag& tag, Group& group) {
  group.code = tag.code;
  group.dims = 3;
  bool binary = tags_.binary();
  switch (type_of(tag.code)) {
    case GroupType::kReal: {
      double value = 0;
      if (!number(tag, value)) return false;
      group.set_x(is_angle_code(tag.code) ? degrees_to_radians(value) : value);
      return true;
    }
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool: {
      int64_t value = tag.integer;
      if (!binary && !parse_integer(tag.value, value)) {
        error_ = where_value(tag) + ": group code " + std::to_string(tag.code) +
                 " expects an integer, got " + quoted(trim(tag.value));
        return false;
      }
      group.set_i(value);
      return true;
    }
    case GroupType::kBinary:
      text_.clear();
      if (binary)
        append_hex(tag.value, text_);
      else
        caret_decode(trim(tag.value), text_);
      group.set_s(text_);
      return true;
    case GroupType::kHandle:
      // TagWriter::raw writes control characters (and carets) in caret form.
      if (binary || trim(tag.value).find('^') == std::string_view::npos) {
        group.set_s(trim(tag.value));
        return true;
      }
      text_.clear();
      caret_decode(trim(tag.value), text_);
      group.set_s(text_);
      return true;
    case GroupType::kPoint:
    case GroupType::kText:
    case GroupType::kComment:
      break;
  }
  text_.clear();
  codec_.decode(tag.code == 0 ? trim(tag.value) : tag.value, text_, !binary);
  group.set_s(text_);
  return true;
}

// ---- numbers ----

double degrees_to_radians(double degrees) { return degrees * (kPi / 180.0); }

std::string format_real(double value) { return shortest(value, false); }

std::string format_angle(double radians) {
  if (!std::isfinite(radians)) return format_real(radians);
  double degrees = radians / (kPi / 180.0);
  bool fixed = degrees == 0 || (std::fabs(degrees) >= 1e-5 && std::fabs(degrees) < 1e15);
  for (int digits = 1; digits <= 17; ++digits) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, degrees, std::chars_format::general, digits);
    double candidate = 0;
    std::from_chars(buf, res.ptr, candidate);
    if (degrees_to_radians(candidate) == radians) return shortest(candidate, fixed);
  }
  // The radians did not come from a decimal: the neighbours of the quotient may still hit them.
  double up = degrees;
  double down = degrees;
  for (int step = 0; step < 4; ++step) {
    up = std::nextafter(up, INFINITY);
    down = std::nextafter(down, -INFINITY);
    if (degrees_to_radians(up) == radians) return shortest(up, fixed);
    if (degrees_to_radians(down) == radians) return shortest(down, fixed);
  }
  return shortest(degrees, fixed);
}

std::string describe(const Group& g) {
  std::string out = std::to_string(g.code) + " ";
  switch (type_of(g.code)) {
    case GroupType::kPoint:
      out += "(" + format_real(g.x());
      if (g.dims >= 2) out += "," + format_real(g.y());
      if (g.dims >= 3) out += "," + format_real(g.z());
      return out + ")";
    case GroupType::kReal:
      return out + format_real(g.x());
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      return out + std::to_string(g.i());
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kBinary:
    case GroupType::kComment:
      break;
  }
  const std::string_view text = g.s();
  return out + "'" + std::string(text.substr(0, 60)) + (text.size() > 60 ? "..." : "") + "'";
}

// ---- TagWriter ----

TagWriter::TagWriter(const TextCodec& codec, size_t reserve) : codec_(codec) {
  out_.reserve(reserve);
}

void TagWriter::code(int code) {
  char buf[16];
  char* p = buf;
  if (code >= 0 && code < 10) {
    *p++ = ' ';
    *p++ = ' ';
  } else if (code >= 10 && code < 100) {
    *p++ = ' ';
  }
  p = std::to_chars(p, buf + sizeof buf, code).ptr;
  *p++ = '\n';
  out_.append(buf, p);
}

void TagWriter::raw(std::string_view ascii) {
  // A line end inside a value would end the line: control characters go in caret form, and so
  // does a caret, so that GroupReader reads back the same bytes.
  caret_encode(ascii, out_);
  out_.push_back('\n');
}

void TagWriter::real(double value) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, res.ptr);
  out_.push_back('\n');
}

void TagWriter::integer(int64_t value) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, res.ptr);
  out_.push_back('\n');
}

void TagWriter::text(int code_value, std::string_view utf8) {
  code(code_value);
  codec_.encode(utf8, out_);
  out_.push_back('\n');
}

void TagWriter::group(const Group& g) {
  switch (type_of(g.code)) {
    case GroupType::kPoint:
      code(g.code);
      real(g.x());
      if (g.dims >= 2) {
        code(point_y_code(g.code));
        real(g.y());
      }
      if (g.dims >= 3) {
        code(point_z_code(g.code));
        real(g.z());
      }
      return;
    case GroupType::kReal:
      code(g.code);
      if (is_angle_code(g.code)) {
        out_ += format_angle(g.x());
        out_.push_back('\n');
      } else {
        real(g.x());
      }
      return;
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      code(g.code);
      integer(g.i());
      return;
    case GroupType::kHandle:
    case GroupType::kBinary:
      code(g.code);
      raw(g.s());
      return;
    case GroupType::kText:
    case GroupType::kComment:
      break;
  }
  text(g.code, g.s());
}

}  // namespace cad
