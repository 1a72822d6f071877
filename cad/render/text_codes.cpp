#include "cad/render/text_codes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "cad/base/utf8.h"

namespace cad {

namespace {

// Appends the character a code names; code 0 draws nothing.
void append_code(std::string& out, uint32_t cp) {
  if (cp != 0) append_utf8(cp, out);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The %% code at s[at] (which starts with "%%"): appends what it draws, returns its length.
size_t percent_code(std::string_view s, size_t at, std::string& out) {
  const char c = at + 2 < s.size() ? s[at + 2] : '\0';
  switch (c | 0x20) {  // lower case
    case 'c':
      out += "\u00D8";
      return 3;
    case 'd':
      out += "\u00B0";
      return 3;
    case 'p':
      out += "\u00B1";
      return 3;
    case 'u':
    case 'o':
    case 'k':
      return 3;
    default:
      break;
  }
  if (c == '%') {
    out += '%';
    return 3;
  }
  if (at + 5 <= s.size() && is_digit(s[at + 2]) && is_digit(s[at + 3]) && is_digit(s[at + 4])) {
    append_code(out, static_cast<uint32_t>((s[at + 2] - '0') * 100 + (s[at + 3] - '0') * 10 +
                                           (s[at + 4] - '0')));
    return 5;
  }
  out += "%%";
  return 2;
}

// The \U+XXXX code at s[at]: appends its character and returns 7, or returns 0 when s[at] does
// not start one.
size_t unicode_code(std::string_view s, size_t at, std::string& out) {
  if (at + 7 > s.size() || (s[at + 1] != 'U' && s[at + 1] != 'u') || s[at + 2] != '+') return 0;
  uint32_t cp = 0;
  const char* first = s.data() + at + 3;
  const auto [end, ec] = std::from_chars(first, first + 4, cp, 16);
  if (ec != std::errc() || end != first + 4) return 0;
  append_code(out, cp);
  return 7;
}

class MtextParser {
 public:
  MtextParser(std::string_view s, double height) : s_(s) {
    state_.height = height;
    lines_.emplace_back();
  }

  std::vector<TextLine> parse();

 private:
  struct State {
    double height = 0;
    RunAlignment alignment = RunAlignment::kBottom;
  };
  struct Value {
    double number = 0;  // 0 when none could be read
    bool relative = false;
  };

  void put(std::string_view text);
  void code();
  Value value();
  void skip(char c) {
    if (i_ < s_.size() && s_[i_] == c) ++i_;
  }
  void skip_past(char c) {
    const size_t end = s_.find(c, i_);
    i_ = end == std::string_view::npos ? s_.size() : end + 1;
  }
  void stack();

  std::string_view s_;
  size_t i_ = 0;
  State state_;
  std::vector<State> saved_;
  std::vector<TextLine> lines_;
};

std::vector<TextLine> MtextParser::parse() {
  while (i_ < s_.size()) {
    const char c = s_[i_];
    if (c == '{') {
      saved_.push_back(state_);
      ++i_;
    } else if (c == '}') {
      // An unbalanced brace closes nothing.
      if (!saved_.empty()) {
        state_ = saved_.back();
        saved_.pop_back();
      }
      ++i_;
    } else if (c == '\\') {
      code();
    } else if (s_.compare(i_, 2, "%%") == 0) {
      std::string drawn;
      i_ += percent_code(s_, i_, drawn);
      put(drawn);
    } else if (c == '\n') {
      lines_.emplace_back();
      ++i_;
    } else {
      const size_t end = std::min(s_.find_first_of("{}\\%\n", i_ + 1), s_.size());
      put(s_.substr(i_, end - i_));
      i_ = end;
    }
  }
  return std::move(lines_);
}

void MtextParser::put(std::string_view text) {
  if (text.empty()) return;
  TextLine& line = lines_.back();
  if (!line.empty() && line.back().height == state_.height &&
      line.back().alignment == state_.alignment) {
    line.back().text += text;
    return;
  }
  line.push_back({std::string(text), state_.height, state_.alignment});
}

void MtextParser::code() {
  if (i_ + 1 >= s_.size()) {
    put("\\");
    ++i_;
    return;
  }
  const char c = s_[i_ + 1];
  const size_t at = i_;
  i_ += 2;
  switch (c) {
    case 'P':
    case 'X':
    case 'N':
      lines_.emplace_back();
      return;
    case '~':
      put("\u00A0");
      return;
    case '\\':
    case '{':
    case '}':
      put(s_.substr(at + 1, 1));
      return;
    case 'A':
      if (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '2') {
        state_.alignment = static_cast<RunAlignment>(s_[i_] - '0');
        ++i_;
      }
      skip(';');
      return;
    case 'H': {
      const Value v = value();
      if (v.number > 0) state_.height = v.relative ? state_.height * v.number : v.number;
      return;
    }
    case 'W':
    case 'Q':
    case 'T':
    case 'C':
    case 'c':
      value();
      return;
    case 'f':
    case 'F':
    case 'p':
      skip_past(';');
      return;
    case 'S':
      stack();
      return;
    case 'L':
    case 'l':
    case 'O':
    case 'o':
    case 'K':
    case 'k':
      return;
    default:
      break;
  }
  std::string drawn;
  if (const size_t length = unicode_code(s_, at, drawn)) {
    i_ = at + length;
    put(drawn);
    return;
  }
  put(s_.substr(at, 2));
}

// A number, an optional "x" (relative to the current value) and an optional ";".
MtextParser::Value MtextParser::value() {
  Value v;
  double number = 0;
  const auto [end, ec] = std::from_chars(s_.data() + i_, s_.data() + s_.size(), number);
  if (ec == std::errc() && std::isfinite(number)) v.number = number;
  if (ec == std::errc()) i_ = static_cast<size_t>(end - s_.data());
  if (i_ < s_.size() && (s_[i_] == 'x' || s_[i_] == 'X')) {
    v.relative = true;
    ++i_;
  }
  skip(';');
  return v;
}

// \S: the upper and lower parts up to the first unescaped ^, / or #, the whole up to an
// unescaped ";".
void MtextParser::stack() {
  std::string upper;
  std::string lower;
  bool split = false;
  while (i_ < s_.size() && s_[i_] != ';') {
    char c = s_[i_++];
    if (c == '\\' && i_ < s_.size()) {
      c = s_[i_++];
    } else if (!split && (c == '^' || c == '/' || c == '#')) {
      split = true;
      continue;
    }
    (split ? lower : upper) += c;
  }
  skip(';');
  std::string drawn = decode_text(upper);
  if (split) {
    drawn += '/';
    drawn += decode_text(lower);
  }
  put(drawn);
}

}  // namespace

std::string decode_text(std::string_view text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "%%") == 0) {
      i += percent_code(text, i, out);
    } else if (const size_t length = text[i] == '\\' ? unicode_code(text, i, out) : 0) {
      i += length;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::vector<TextLine> parse_mtext(std::string_view contents, double height) {
  return MtextParser(contents, height).parse();
}

double text_advance(std::string_view text) {
  // Advances in thousandths of an em from the space (0x20) to "~" (0x7E); the face's capitals
  // are 0.729 em high.
  static constexpr uint16_t kAdvance[] = {
      318,  401, 460, 838, 636, 950, 780, 275, 390, 390, 500, 838, 318, 361, 318,
      337,  //  !"#..
      636,  636, 636, 636, 636, 636, 636, 636, 636, 636, 337, 337, 838, 838, 838,
      531,  // 0-9 :;<=>?
      1000, 684, 686, 698, 770, 632, 575, 775, 752, 295, 295, 656, 557, 863, 748,
      787,  // @A-O
      603,  787, 695, 635, 611, 732, 684, 989, 685, 611, 685, 390, 337, 390, 838,
      500,  // P-Z[\]^_
      500,  613, 635, 550, 635, 615, 352, 635, 634, 278, 278, 579, 278, 974, 634,
      612,                                                                         // `a-o
      635,  635, 411, 521, 392, 634, 592, 818, 592, 592, 525, 636, 337, 636, 838,  // p-z{|}~
  };
  constexpr double kCapHeight = 729;
  constexpr uint16_t kOther = 600;
  uint32_t sum = 0;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F) {
      sum += kAdvance[c - 0x20];
    } else if (c >= 0x80 && (c & 0xC0) != 0x80) {
      sum += kOther;  // the first byte of a character past ASCII
    }
  }
  return sum / kCapHeight;
}

}  // namespace cad
