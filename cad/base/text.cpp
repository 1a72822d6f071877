#include "cad/base/text.h"

#include <cstring>

namespace cad {

std::string to_upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ascii_upper(c);
  return out;
}

std::string to_lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ascii_lower(c);
  return out;
}

std::string errno_text(int error) {
  std::string s = std::strerror(error);
  if (!s.empty()) s[0] = ascii_lower(s[0]);
  return s;
}

}  // namespace cad
