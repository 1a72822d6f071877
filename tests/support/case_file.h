// Tables of cases kept in text files beside their tests: one case a line, its fields separated
// by "|" and trimmed of blanks. A field in double quotes keeps its blanks; "\|", "\#" and "\\"
// stand for the character after the backslash, "\xHH" for the byte HH, any other backslash for
// itself. Empty lines and lines starting with "#" are left out.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cad/geom/vec.h"

namespace cad::testing {

struct CaseLine {
  std::string where;  // "file:line", for messages
  std::vector<std::string> fields;
};

inline std::string trimmed_field(const std::string& raw) {
  const size_t begin = raw.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  std::string field = raw.substr(begin, raw.find_last_not_of(" \t") + 1 - begin);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
    field = field.substr(1, field.size() - 2);
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size() && field[i + 1] == 'x' && i + 3 < field.size()) {
      out += static_cast<char>(std::stoi(field.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else if (field[i] == '\\' && i + 1 < field.size() &&
               std::string("|#\\").find(field[i + 1]) != std::string::npos) {
      out += field[++i];
    } else {
      out += field[i];
    }
  }
  return out;
}

// The cases of the file name under tests/.
inline std::vector<CaseLine> read_cases(const std::string& name) {
  std::ifstream file(DULK_SOURCE_DIR "/tests/" + name);
  EXPECT_TRUE(file) << name << " not found";
  std::vector<CaseLine> cases;
  int number = 0;
  for (std::string text; std::getline(file, text);) {
    ++number;
    if (text.find_first_not_of(" \t") == std::string::npos || text.starts_with('#')) continue;
    CaseLine line{name + ":" + std::to_string(number), {}};
    std::string raw;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '|') {
        line.fields.push_back(trimmed_field(raw));
        raw.clear();
        continue;
      }
      if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '|') raw += text[i++];
      raw += text[i];
    }
    line.fields.push_back(trimmed_field(raw));
    cases.push_back(line);
  }
  // A table that reads as empty would let its test pass without a case.
  EXPECT_FALSE(cases.empty()) << name << " holds no case";
  return cases;
}

// A point field "x,y[,z]"; coordinates left out are 0.
inline Vec3 case_point(const std::string& text) {
  double c[3] = {0, 0, 0};
  std::istringstream in(text);
  std::string part;
  for (double& v : c)
    if (std::getline(in, part, ',')) v = std::stod(part);
  return {c[0], c[1], c[2]};
}

}  // namespace cad::testing
