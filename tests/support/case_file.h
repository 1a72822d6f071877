// Tables of cases kept in text files beside their tests: one case a line, its fields separated
// by "|" and trimmed of blanks. A field in double quotes keeps its blanks; "\|", "\#" and "\\"
// stand for the character after the backslash, "\xHH" for the byte HH, any other backslash for
// itself. Empty lines and lines starting with "#" are left out. Scenario files (read_scenarios)
// write their steps the same way.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
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

// The fields of one line of a table.
inline std::vector<std::string> split_fields(const std::string& text) {
  std::vector<std::string> fields;
  std::string raw;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '|') {
      fields.push_back(trimmed_field(raw));
      raw.clear();
      continue;
    }
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '|') raw += text[i++];
    raw += text[i];
  }
  fields.push_back(trimmed_field(raw));
  return fields;
}

struct TableLine {
  std::string where;
  std::string text;
};

// The lines of the file name under tests/ that hold cases; with `continued`, a line that begins
// with a blank goes on the line before.
inline std::vector<TableLine> table_lines(const std::string& name, bool continued) {
  std::ifstream file(DULK_SOURCE_DIR "/tests/" + name);
  EXPECT_TRUE(file) << name << " not found";
  std::vector<TableLine> lines;
  int number = 0;
  for (std::string text; std::getline(file, text);) {
    ++number;
    if (text.find_first_not_of(" \t") == std::string::npos || text.starts_with('#')) continue;
    if (continued && text.starts_with(' ') && !lines.empty())
      lines.back().text += text;
    else
      lines.push_back({name + ":" + std::to_string(number), text});
  }
  // A table that reads as empty would let its test pass without a case.
  EXPECT_FALSE(lines.empty()) << name << " holds no case";
  return lines;
}

// The cases of the file name under tests/.
inline std::vector<CaseLine> read_cases(const std::string& name) {
  std::vector<CaseLine> cases;
  for (const TableLine& line : table_lines(name, false))
    cases.push_back({line.where, split_fields(line.text)});
  return cases;
}

inline std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// A scenario: a case of steps run in order, each a line of fields whose first names the step.
struct Scenario {
  std::string name;
  std::vector<CaseLine> steps;
};

inline void PrintTo(const Scenario& s, std::ostream* out) { *out << s.name; }

// The scenarios of the file name under tests/, written as the tables above. "case | Name" starts
// one, and the lines after it are its steps; a line that begins with a blank goes on the line
// before. "let | NAME | text" lets $NAME stand for the text (it may hold several fields) in the
// lines after it. "each | V1 | V2 ..." runs the scenario once for each value, $each standing for
// it and $1, $2... for its words.
inline std::vector<Scenario> read_scenarios(const std::string& name) {
  // Longest names first, so that $chain4 is not taken for $chain.
  const auto longer = [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() > b.size() : a < b;
  };
  std::map<std::string, std::string, decltype(longer)> lets(longer);
  struct Written {
    std::string name;
    std::vector<TableLine> steps;
    std::vector<std::string> each;
  };
  std::vector<Written> written;
  for (TableLine line : table_lines(name, true)) {
    for (const auto& [let, text] : lets) line.text = replace_all(line.text, let, text);
    const std::vector<std::string> fields = split_fields(line.text);
    if (fields[0] == "let") {
      const size_t second = line.text.find('|', line.text.find('|') + 1);
      lets["$" + fields.at(1)] = second == std::string::npos ? "" : line.text.substr(second + 1);
    } else if (fields[0] == "case") {
      written.push_back({fields.at(1), {}, {}});
    } else if (written.empty()) {
      ADD_FAILURE() << line.where << ": a step before the first case";
    } else if (fields[0] == "each") {
      written.back().each.assign(fields.begin() + 1, fields.end());
    } else {
      written.back().steps.push_back(line);
    }
  }
  std::vector<Scenario> scenarios;
  for (const Written& w : written) {
    const std::vector<std::string> values = w.each.empty() ? std::vector<std::string>{""} : w.each;
    for (size_t k = 0; k < values.size(); ++k) {
      Scenario one{w.each.empty() ? w.name : w.name + "_" + std::to_string(k + 1), {}};
      std::istringstream in(values[k]);
      const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
      for (const TableLine& step : w.steps) {
        std::string text = replace_all(step.text, "$each", values[k]);
        for (size_t n = words.size(); n > 0; --n)
          text = replace_all(text, "$" + std::to_string(n), words[n - 1]);
        one.steps.push_back({step.where, split_fields(text)});
      }
      scenarios.push_back(one);
    }
  }
  return scenarios;
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
