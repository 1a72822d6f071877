// Groups written as "code=value" items, as the case tables of the filter and shapes tests write
// them.
#pragma once

#include <algorithm>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "cad/db/database.h"

namespace cad::testing {

// Items separated by blanks, typed by their code: texts, points of as many coordinates as given,
// reals (in degrees where they end in "deg") and integers.
inline std::vector<Group> items(const std::string& list) {
  std::vector<Group> out;
  std::istringstream in(list);
  for (std::string item; in >> item;) {
    const size_t eq = item.find('=');
    const int code = std::stoi(item.substr(0, eq));
    const std::string value = item.substr(eq + 1);
    const GroupType type = group_type(code);
    if (type == GroupType::kPoint) {
      std::vector<double> c;
      std::istringstream coords(value);
      for (std::string v; std::getline(coords, v, ',');) c.push_back(std::stod(v));
      c.resize(3, 0.0);
      out.push_back(
          Group::point(code, {c[0], c[1], c[2]},
                       static_cast<int>(std::count(value.begin(), value.end(), ',')) + 1));
    } else if (type == GroupType::kReal) {
      size_t used = 0;
      const double number = std::stod(value, &used);
      out.push_back(Group::real(
          code, value.substr(used) == "deg" ? number * std::numbers::pi / 180 : number));
    } else if (type != GroupType::kText && type != GroupType::kHandle) {
      out.push_back(Group::integer(code, std::stoll(value)));
    } else {
      out.push_back(Group::text(code, value));
    }
  }
  return out;
}

}  // namespace cad::testing
