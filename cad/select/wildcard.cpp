// Wildcard matching: the pattern is parsed into alternatives of one-character tokens and runs,
// then each alternative is matched against the decoded text.
#include "cad/select/wildcard.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace cad {

namespace {

enum class TokenKind { kLiteral, kAnyChar, kDigit, kLetter, kNonAlnum, kAnyRun, kSet };

struct Range {
  char32_t low;
  char32_t high;
};

struct Token {
  TokenKind kind = TokenKind::kLiteral;
  char32_t literal = 0;
  bool negated = false;
  std::vector<Range> members;
};

using Alternative = std::vector<Token>;

struct Pattern {
  bool negated = false;
  std::vector<Alternative> alternatives;
};

// Decodes UTF-8 leniently: a byte that does not start a valid sequence stands for itself, so that
// text in a legacy code page still matches character by character.
std::u32string decode(std::string_view text) {
  std::u32string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t code = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      code = lead & 0x07;
    }
    bool valid = i + extra < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and numbers beyond Unicode are no valid sequence either: an
    // overlong '#' must not become the wildcard.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (valid && (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
      valid = false;
    if (!valid) {
      extra = 0;
      code = lead;
    }
    result.push_back(code);
    i += extra + 1;
  }
  return result;
}

bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

bool is_letter(char32_t c) {
  if (c < 0x80) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
  }
  const bool latin1_sign = c <= 0xBF || c == 0xD7 || c == 0xF7;
  const bool punctuation_block = (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F);
  return !latin1_sign && !punctuation_block;
}

char32_t to_lower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c; }
char32_t to_upper(char32_t c) { return c >= U'a' && c <= U'z' ? c - (U'a' - U'A') : c; }

// Parses the bracket expression whose [ is at open; returns the index past its ], or open when
// it has none.
size_t parse_set(const std::u32string& pattern, size_t open, Token& token) {
  size_t i = open + 1;
  token.kind = TokenKind::kSet;
  if (i < pattern.size() && pattern[i] == U'~') {
    token.negated = true;
    ++i;
  }
  const size_t first = i;
  while (i < pattern.size() && (pattern[i] != U']' || i == first)) {
    const char32_t low = pattern[i];
    if (i + 2 < pattern.size() && pattern[i + 1] == U'-' && pattern[i + 2] != U']') {
      token.members.push_back({low, pattern[i + 2]});
      i += 3;
    } else {
      token.members.push_back({low, low});
      ++i;
    }
  }
  return i < pattern.size() ? i + 1 : open;
}

Pattern parse(std::string_view text) {
  const std::u32string pattern = decode(text);
  Pattern result;
  result.alternatives.emplace_back();
  size_t i = 0;
  if (!pattern.empty() && pattern[0] == U'~') {
    result.negated = true;
    i = 1;
  }
  while (i < pattern.size()) {
    Alternative& current = result.alternatives.back();
    Token token;
    const char32_t c = pattern[i++];
    switch (c) {
      case U',':
        result.alternatives.emplace_back();
        continue;
      case U'*':
        token.kind = TokenKind::kAnyRun;
        break;
      case U'?':
        token.kind = TokenKind::kAnyChar;
        break;
      case U'#':
        token.kind = TokenKind::kDigit;
        break;
      case U'@':
        token.kind = TokenKind::kLetter;
        break;
      case U'.':
        token.kind = TokenKind::kNonAlnum;
        break;
      case U'`':
        token.literal = i < pattern.size() ? pattern[i++] : c;
        break;
      case U'[': {
        const size_t end = parse_set(pattern, i - 1, token);
        if (end == i - 1) {
          token = Token{};
          token.literal = c;
        } else {
          i = end;
        }
        break;
      }
      default:
        token.literal = c;
        break;
    }
    current.push_back(std::move(token));
  }
  return result;
}

bool same_char(char32_t a, char32_t b, bool ignore_case) {
  return a == b || (ignore_case && to_lower(a) == to_lower(b));
}

bool in_set(const Token& token, char32_t c, bool ignore_case) {
  const auto holds = [&](char32_t x) {
    return std::any_of(token.members.begin(), token.members.end(),
                       [x](const Range& r) { return x >= r.low && x <= r.high; });
  };
  const bool found = holds(c) || (ignore_case && (holds(to_lower(c)) || holds(to_upper(c))));
  return found != token.negated;
}

bool matches_one(const Token& token, char32_t c, bool ignore_case) {
  switch (token.kind) {
    case TokenKind::kLiteral:
      return same_char(token.literal, c, ignore_case);
    case TokenKind::kAnyChar:
      return true;
    case TokenKind::kDigit:
      return is_digit(c);
    case TokenKind::kLetter:
      return is_letter(c);
    case TokenKind::kNonAlnum:
      return !is_letter(c) && !is_digit(c);
    case TokenKind::kSet:
      return in_set(token, c, ignore_case);
    case TokenKind::kAnyRun:
      break;
  }
  return false;
}

// Every token but a run takes one character, so on a mismatch it is enough to let the latest run
// take one character more and retry from just after it.
bool match_alternative(const Alternative& tokens, const std::u32string& text, bool ignore_case) {
  size_t t = 0;
  size_t p = 0;
  size_t run = tokens.size();
  size_t run_text = 0;
  while (t < text.size()) {
    if (p < tokens.size() && tokens[p].kind == TokenKind::kAnyRun) {
      run = p++;
      run_text = t;
    } else if (p < tokens.size() && matches_one(tokens[p], text[t], ignore_case)) {
      ++p;
      ++t;
    } else if (run < tokens.size()) {
      p = run + 1;
      t = ++run_text;
    } else {
      return false;
    }
  }
  while (p < tokens.size() && tokens[p].kind == TokenKind::kAnyRun) {
    ++p;
  }
  return p == tokens.size();
}

}  // namespace

bool wildcard_match(std::string_view pattern, std::string_view text, bool ignore_case) {
  const Pattern parsed = parse(pattern);
  const std::u32string decoded = decode(text);
  const bool any = std::any_of(
      parsed.alternatives.begin(), parsed.alternatives.end(),
      [&](const Alternative& tokens) { return match_alternative(tokens, decoded, ignore_case); });
  return any != parsed.negated;
}

bool wildcard_has_special(std::string_view text) {
  return text.find_first_of("*?#@.[,`") != std::string_view::npos ||
         (!text.empty() && text.front() == '~');
}

}  // namespace cad
