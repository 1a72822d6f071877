#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "cad/dxf/numbers.h"
#include "cad/dxf/tag_types.h"
#include "cad/dxf/tags.h"

namespace cad {

namespace {

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
  fenced_ = !data_.empty() && data_.back() != '.' && data_.back() != '-' &&
            static_cast<unsigned>(data_.back() - '0') >= 10;
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

inline std::string_view TagReader::take_line() {
  // DXF lines are short: looking at eight bytes at a time beats calling memchr for each.
  const char* begin = data_.data() + pos_;
  const char* end = data_.data() + data_.size();
  const char* p = begin;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHigh = 0x8080808080808080;
    while (end - p >= 8) {
      uint64_t word = 0;
      std::memcpy(&word, p, 8);
      word ^= kOnes * '\n';
      // The lowest high bit set marks the first byte that was a line feed.
      const uint64_t found = (word - kOnes) & ~word & kHigh;
      if (found) {
        p += std::countr_zero(found) / 8;
        break;
      }
      p += 8;
    }
  }
  while (p != end && *p != '\n') ++p;
  size_t len = static_cast<size_t>(p - begin);
  pos_ += p == end ? len : len + 1;
  ++line_;
  if (len > 0 && begin[len - 1] == '\r') --len;
  return {begin, len};
}

template <typename T>
inline bool TagReader::plain_line(T& value, std::string_view& line) {
  const char* begin = data_.data() + pos_;
  const char* end = data_.data() + data_.size();
  if (begin == end) return false;
  const char* p = nullptr;
  if constexpr (std::is_same_v<T, double>)
    p = fenced_ ? plain_decimal<false>(begin, end, value) : plain_decimal(begin, end, value);
  else
    p = fenced_ ? plain_integer<false>(begin, end, value) : plain_integer(begin, end, value);
  if (!p || p == end) return false;
  const char* line_end = p;
  if (*p == '\r' && p + 1 != end) ++p;
  if (*p != '\n') return false;
  line = {begin, static_cast<size_t>(line_end - begin)};
  pos_ = static_cast<size_t>(p + 1 - data_.data());
  ++line_;
  return true;
}

bool TagReader::next(Tag& tag) {
  if (ended_) return false;
  return binary_ ? next_binary(tag) : next_ascii(tag);
}

const char* TagReader::plain_code(int& code) const {
  const char* p = data_.data() + pos_;
  const char* end = data_.data() + data_.size();
  // Codes as AutoCAD writes them, right-aligned to three places ("  0", " 10", "330"), are read
  // without a loop.
  if (end - p >= 4 && (p[3] == '\n' || (p[3] == '\r' && end - p >= 5 && p[4] == '\n'))) {
    const unsigned d0 = static_cast<unsigned>(p[0] - '0');
    const unsigned d1 = static_cast<unsigned>(p[1] - '0');
    const unsigned d2 = static_cast<unsigned>(p[2] - '0');
    const char* next = p + (p[3] == '\n' ? 4 : 5);
    if (d2 < 10) {
      if (d1 < 10 && d0 < 10) {
        code = static_cast<int>(d0 * 100 + d1 * 10 + d2);
        return next;
      }
      if (d1 < 10 && p[0] == ' ') {
        code = static_cast<int>(d1 * 10 + d2);
        return next;
      }
      if (p[1] == ' ' && p[0] == ' ') {
        code = static_cast<int>(d2);
        return next;
      }
    }
  }
  while (p != end && *p == ' ') ++p;
  const char* digits = p;
  int value = 0;
  while (p != end && *p >= '0' && *p <= '9' && p - digits < 9) value = value * 10 + (*p++ - '0');
  if (p == digits || p == end) return nullptr;
  if (*p == '\r' && p + 1 != end) ++p;
  if (*p != '\n') return nullptr;
  code = value;
  return p + 1;
}

bool TagReader::next_if(int code, Tag& tag) {
  if (ended_) return false;
  int plain = 0;
  if (!binary_ && plain_code(plain) && plain != code) return false;
  // Anything else is read and, when it is not the tag asked for (or not a tag), given back.
  const size_t pos = pos_;
  const size_t line = line_;
  if (next(tag) && tag.code == code) return true;
  pos_ = pos;
  line_ = line;
  ended_ = false;
  error_.clear();
  return false;
}

inline bool TagReader::next_plain_real(int code, double& value) {
  if (binary_ || ended_) return false;
  int plain = 0;
  const char* after = plain_code(plain);
  if (!after || plain != code) return false;
  const size_t pos = pos_;
  pos_ = static_cast<size_t>(after - data_.data());
  std::string_view line;
  if (!plain_line(value, line)) {
    pos_ = pos;
    return false;
  }
  ++line_;  // the code line; plain_line counted the value line
  return true;
}

bool TagReader::next_ascii(Tag& tag) {
  if (pos_ >= data_.size()) {
    ended_ = true;
    return false;
  }
  int code = 0;
  if (const char* after = plain_code(code)) {
    // Most code lines are blanks and digits alone: read while they are scanned.
    pos_ = static_cast<size_t>(after - data_.data());
    ++line_;
  } else if (!general_code(code)) {
    return false;
  }
  size_t code_line = line_;
  if (pos_ >= data_.size())
    return fail(code_line, "group code " + std::to_string(code) + " has no value (the file ends)");
  tag.code = code;
  tag.pos = code_line;
  tag.number = false;
  switch (type_of(code)) {
    case GroupType::kReal:
    case GroupType::kPoint:
      tag.number = plain_line(tag.real, tag.value);
      break;
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      tag.number = plain_line(tag.integer, tag.value);
      break;
    default:
      break;
  }
  if (!tag.number) tag.value = take_line();
  if (code == 0 && tag.value.size() >= 3 && trim_value(tag.value) == "EOF") {
    ended_ = true;
    return false;
  }
  return true;
}

bool TagReader::general_code(int& code) {
  std::string_view code_text = take_line();
  if (!parse_code(code_text, code)) {
    // Blank lines at the very end (after a final ENDSEC without EOF) end the data.
    if (trim_value(code_text).empty() &&
        data_.find_first_not_of(" \t\r\n", pos_) == std::string_view::npos) {
      ended_ = true;
      return false;
    }
    return fail(line_, "expected a group code, got " + quoted(trim_value(code_text)));
  }
  return true;
}

bool TagReader::resync(size_t& lines_passed) {
  error_.clear();
  while (pos_ < data_.size()) {
    const size_t start = pos_;
    const size_t start_line = line_;
    const std::string_view code = trim_value(take_line());
    if (code == "0" && pos_ < data_.size()) {
      const std::string_view name = trim_value(take_line());
      if (!name.empty() && name[0] >= 'A' && name[0] <= 'Z') {
        pos_ = start;
        line_ = start_line;
        ended_ = false;
        return true;
      }
      pos_ = start;
      line_ = start_line;
      take_line();
    }
    ++lines_passed;
  }
  ended_ = true;
  return false;
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
  tag.number = true;
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
      tag.number = false;
      pos_ += 1 + len;
      return true;
    }
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kComment:
      break;
  }
  tag.number = false;
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

std::string GroupReader::where_value(const Tag& tag) const {
  return tags_.where(tags_.binary() ? tag.pos : tag.pos + 1);
}

bool GroupReader::number(const Tag& tag, double& value) {
  if (tag.number) {
    value = tag.real;
  } else if (!parse_double(tag.value, value)) {
    error_ = where_value(tag) + ": group code " + std::to_string(tag.code) +
             " expects a number, got " + quoted(trim_value(tag.value));
    return false;
  }
  // "nan" and "inf" read as numbers, and a binary file may hold them: no drawing can.
  if (std::isfinite(value)) return true;
  const std::string got = tag.number ? format_real(value) : std::string(trim_value(tag.value));
  error_ = where_value(tag) + ": group code " + std::to_string(tag.code) +
           " expects a finite number, got " + quoted(got);
  return false;
}

inline bool GroupReader::next_plain(Group& group) {
  TagReader& t = tags_;
  if (t.binary_ || t.ended_) return false;
  int code = 0;
  const char* after = t.plain_code(code);
  if (!after) return false;
  const size_t start = t.pos_;
  const size_t code_line = t.line_ + 1;
  t.pos_ = static_cast<size_t>(after - t.data_.data());
  t.line_ = code_line;
  std::string_view line;
  bool read = false;
  // Branches rather than a switch: a jump table would wait for the code and its type to load.
  const GroupType type = type_of(code);
  const bool real = type == GroupType::kReal || type == GroupType::kPoint;
  const bool integer = type == GroupType::kInt16 || type == GroupType::kInt32 ||
                       type == GroupType::kInt64 || type == GroupType::kBool;
  if (real) {
    double value = 0;
    read = t.plain_line(value, line);
    if (read) group.set_x(is_angle_code(code) ? degrees_to_radians(value) : value);
  } else if (integer) {
    int64_t value = 0;
    read = t.plain_line(value, line);
    if (read) group.set_i(value);
  } else if (t.pos_ < t.data_.size()) {
    line = t.take_line();
    if (code == 0 || type == GroupType::kHandle) line = trim_value(line);
    read = code != 0 || line != "EOF";
    // Most text is kept as it stands.
    if (read && type != GroupType::kBinary && TextCodec::plain(line))
      group.set_s(line);
    else if (read)
      set_text(code, type, line, group);
  }
  if (!read) {
    t.pos_ = start;
    t.line_ = code_line - 1;
    return false;
  }
  group.code = code;
  group.dims = 3;
  pos_ = code_line;
  return true;
}

bool GroupReader::mend(Group& group) {
  while (!error_.empty()) {
    if (!tags_.error().empty()) {
      if (tags_.binary() || tags_.at_end() || !tags_.resync(skipped_->unreadable_lines)) {
        skipped_->cut_off = true;
        error_.clear();
        return false;
      }
    } else {
      ++skipped_->wrong_values;
    }
    error_.clear();
    if (next_group(group)) return true;
  }
  return false;
}

bool GroupReader::next_group(Group& group) {
  double v[3] = {0, 0, 0};
  if (next_plain(group)) {
    if (type_of(group.code) != GroupType::kPoint) return true;
    v[0] = group.x();
  } else {
    Tag tag;
    if (!tags_.next(tag)) {
      if (!tags_.error().empty()) error_ = tags_.error();
      return false;
    }
    pos_ = tag.pos;
    if (type_of(tag.code) != GroupType::kPoint) return convert(tag, group);
    if (!number(tag, v[0])) return false;
    group.code = tag.code;
  }
  group.dims = 1;
  // A point's y and z follow its x directly; anything else ends the point.
  for (int axis = 1; axis <= 2; ++axis) {
    const int code = group.code + 10 * axis;
    if (!tags_.next_plain_real(code, v[axis])) {
      Tag next;
      if (!tags_.next_if(code, next)) break;
      if (!number(next, v[axis])) return false;
    }
    group.dims = static_cast<uint8_t>(axis + 1);
  }
  group.set_pt({v[0], v[1], v[2]});
  return true;
}

bool GroupReader::convert(const Tag& tag, Group& group) {
  group.code = tag.code;
  group.dims = 3;
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
      if (!tag.number && !parse_integer(tag.value, value)) {
        error_ = where_value(tag) + ": group code " + std::to_string(tag.code) +
                 " expects an integer, got " + quoted(trim_value(tag.value));
        return false;
      }
      group.set_i(value);
      return true;
    }
    case GroupType::kPoint:
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kBinary:
    case GroupType::kComment:
      break;
  }
  set_text(tag.code, type_of(tag.code), tag.value, group);
  return true;
}

void GroupReader::set_text(int code, GroupType type, std::string_view value, Group& group) {
  const bool binary = tags_.binary();
  switch (type) {
    case GroupType::kBinary:
      text_.clear();
      if (binary)
        append_hex(value, text_);
      else
        caret_decode(trim_value(value), text_);
      group.set_s(text_);
      return;
    case GroupType::kHandle:
      // TagWriter::raw writes control characters (and carets) in caret form.
      value = trim_value(value);
      if (binary || TextCodec::plain(value) || value.find('^') == std::string_view::npos) {
        group.set_s(value);
        return;
      }
      text_.clear();
      caret_decode(value, text_);
      group.set_s(text_);
      return;
    default:
      break;
  }
  if (code == 0) value = trim_value(value);
  if (TextCodec::plain(value)) {
    group.set_s(value);
    return;
  }
  text_.clear();
  codec_.decode(value, text_, !binary);
  group.set_s(text_);
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

}  // namespace cad
