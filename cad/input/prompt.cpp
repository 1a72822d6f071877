#include "cad/input/prompt.h"

namespace cad {

std::string shown(Prompt prompt, std::initializer_list<std::string_view> values) {
  std::string out = "\n";
  const std::string_view text = prompt.text;
  const std::string_view* value = values.begin();
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find('{', at);
    const size_t close = open == std::string_view::npos ? open : text.find('}', open);
    if (close == std::string_view::npos) break;
    out.append(text.substr(at, open - at));
    if (value != values.end()) out.append(*value++);
    at = close + 1;
  }
  if (at < text.size()) out.append(text.substr(at));
  return out + " ";
}

std::string listed(Prompt prompt) {
  std::string out;
  const std::string_view text = prompt.text;
  for (size_t k = 0; k < text.size(); ++k) {
    const bool bracketed = k > 0 && text[k - 1] == '<';
    if (text[k] == '{') {
      if (!bracketed) out += '<';
    } else if (text[k] == '}') {
      if (k + 1 >= text.size() || text[k + 1] != '>') out += '>';
    } else {
      out += text[k];
    }
  }
  return out;
}

}  // namespace cad
