// Keyword short forms and matching, on code points so that umlauts count as one letter and fold
// with their capitals.
#include "cad/input/keywords.h"

#include <algorithm>

#include "cad/base/utf8.h"

namespace cad {

namespace {

// A character of ASCII text or a decoded code point.
char32_t code_of(char c) { return static_cast<unsigned char>(c); }
char32_t code_of(char32_t c) { return c; }

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return code_of(c) < 0x80; });
}

bool is_upper(char32_t c) {
  return (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

char32_t fold(char32_t c) { return is_upper(c) ? c + 0x20 : c; }

template <typename View>
bool equal_folded(View a, View b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](auto x, auto y) { return fold(code_of(x)) == fold(code_of(y)); });
}

struct ShortForm {
  size_t start = 0;
  size_t length = 0;
};

// On code points, or on the bytes of ASCII text, which are the same.
template <typename View>
ShortForm short_form(View keyword) {
  size_t i = 0;
  while (i < keyword.size()) {
    const size_t start = i;
    bool has_upper = false;
    while (i < keyword.size() && (is_upper(code_of(keyword[i])) || is_digit(code_of(keyword[i])))) {
      has_upper = has_upper || is_upper(code_of(keyword[i]));
      ++i;
    }
    if (has_upper) {
      return {start, i - start};
    }
    i = start + 1;
  }
  return {0, keyword.size()};
}

template <typename View>
bool is_abbreviation(View keyword, View reply) {
  const ShortForm form = short_form(keyword);
  return reply.size() >= form.length && form.start + reply.size() <= keyword.size() &&
         equal_folded(keyword.substr(form.start, reply.size()), reply);
}

// Index of the keyword the reply picks among keywords (views of one type), or npos.
template <typename View>
size_t find_among(const std::vector<View>& keywords, View wanted) {
  if (wanted.empty()) {
    return std::string::npos;
  }
  for (size_t k = 0; k < keywords.size(); ++k) {
    if (equal_folded(keywords[k], wanted)) {
      return k;
    }
  }
  for (size_t k = 0; k < keywords.size(); ++k) {
    if (is_abbreviation(keywords[k], wanted)) {
      return k;
    }
  }
  return std::string::npos;
}

// Index of the keyword the reply picks in a list, or npos. ASCII text, which is nearly all, is
// compared as it is; anything else as code points.
size_t find(const std::vector<std::string_view>& list, std::string_view reply) {
  if (is_ascii(reply) && std::all_of(list.begin(), list.end(), is_ascii))
    return find_among(list, reply);
  std::vector<std::u32string> decoded;
  for (std::string_view keyword : list) decoded.push_back(code_points(keyword));
  const std::u32string wanted = code_points(reply);
  return find_among(std::vector<std::u32string_view>(decoded.begin(), decoded.end()),
                    std::u32string_view(wanted));
}

}  // namespace

std::string keyword_short_form(std::string_view keyword) {
  std::vector<size_t> offsets;
  const ShortForm form = short_form(code_points(keyword, &offsets));
  const size_t begin = offsets[form.start];
  return std::string(keyword.substr(begin, offsets[form.start + form.length] - begin));
}

KeywordList::KeywordList(std::string_view list) : list_(list) {
  // Every prompt with keywords makes a list: one allocation for it, not one per doubling.
  local_.reserve(static_cast<size_t>(std::count(list.begin(), list.end(), ' ')) + 1);
  const std::string_view text = list_;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view keyword = text.substr(start, end - start);
    start = end + 1;
    if (keyword.starts_with('_') && global_.empty()) {
      keyword.remove_prefix(1);
      if (!keyword.empty()) {
        global_.emplace_back(keyword);
      }
    } else if (!keyword.empty()) {
      (global_.empty() ? local_ : global_).emplace_back(keyword);
    }
  }
  if (local_.empty()) {
    local_ = global_;
  }
}

std::optional<std::string> KeywordList::match(std::string_view reply) const {
  if (reply.starts_with('_')) {
    const std::vector<std::string_view>& list = global_.empty() ? local_ : global_;
    const size_t index = find(list, reply.substr(1));
    if (index == std::string::npos) {
      return std::nullopt;
    }
    return std::string(list[index]);
  }
  const size_t index = find(local_, reply);
  if (index == std::string::npos) {
    return std::nullopt;
  }
  return std::string(index < global_.size() ? global_[index] : local_[index]);
}

std::optional<std::string> parse_keyword_match(std::string_view keywords, std::string_view reply) {
  return KeywordList(keywords).match(reply);
}

}  // namespace cad
