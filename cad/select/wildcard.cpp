// Wildcard matching: the pattern is parsed into alternatives of one-character tokens and runs,
// then each alternative is matched against the decoded text.
#include "cad/select/wildcard.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cad/base/text.h"
#include "cad/base/utf8.h"

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

bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

bool is_letter(char32_t c) {
  if (c < 0x80) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
  }
  const bool latin1_sign = c <= 0xBF || c == 0xD7 || c == 0xF7;
  const bool punctuation_block = (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F);
  return !latin1_sign && !punctuation_block;
}

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
  const std::u32string pattern = code_points(text);
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
  return a == b || (ignore_case && ascii_lower(a) == ascii_lower(b));
}

bool in_set(const Token& token, char32_t c, bool ignore_case) {
  const auto holds = [&](char32_t x) {
    return std::any_of(token.members.begin(), token.members.end(),
                       [x](const Range& r) { return x >= r.low && x <= r.high; });
  };
  const bool found = holds(c) || (ignore_case && (holds(ascii_lower(c)) || holds(ascii_upper(c))));
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
  const std::u32string decoded = code_points(text);
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
