#include "cad/base/text.h"

#include <cstring>

namespace cad {

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (a[k] != b[k] && ascii_upper(a[k]) != ascii_upper(b[k])) return false;
  }
  return true;
}

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
