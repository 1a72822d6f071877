#include "cad/input/call.h"

#include "cad/base/text.h"
#include "cad/input/parse.h"

namespace cad {

bool call_complete(std::string_view text) {
  int depth = 0;
  bool quoted = false;
  for (size_t k = 0; k < text.size(); ++k) {
    char c = text[k];
    if (quoted) {
      if (c == '\\')
        ++k;
      else if (c == '"')
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    }
  }
  return depth <= 0 && !quoted;
}

std::optional<std::pair<std::string, std::vector<Reply>>> parse_call(std::string_view text) {
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') return std::nullopt;
  text = text.substr(1, text.size() - 2);
  std::vector<Reply> items;
  size_t k = 0;
  while (k < text.size()) {
    if (text[k] == ' ' || text[k] == '\t') {
      ++k;
      continue;
    }
    if (text[k] == '"') {
      std::string value;
      for (++k; k < text.size() && text[k] != '"'; ++k) {
        if (text[k] == '\\' && k + 1 < text.size()) ++k;
        value += text[k];
      }
      if (k >= text.size()) return std::nullopt;
      ++k;
      items.push_back(text_reply(std::move(value)));
      continue;
    }
    size_t end = text.find_first_of(" \t", k);
    std::string_view word = text.substr(k, end == std::string_view::npos ? end : end - k);
    k = end == std::string_view::npos ? text.size() : end;
    if (auto i = parse_int(word))
      items.push_back(int_reply(*i));
    else if (auto r = parse_real(word))
      items.push_back(real_reply(*r));
    else
      items.push_back(text_reply(std::string(word)));
  }
  if (items.empty() || items.front().kind != Reply::Kind::kText) return std::nullopt;
  std::string name = items.front().text;
  if (name.size() > 2 && iequals(name.substr(0, 2), "C:")) name.erase(0, 2);
  items.erase(items.begin());
  return std::pair{std::move(name), std::move(items)};
}

}  // namespace cad
