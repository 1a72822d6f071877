// The command line of dulk.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cad/ads/faults.h"

namespace dulk {

// -o - : the drawing goes to standard output.
inline constexpr const char* kStandardOutput = "-";

struct Options {
  std::string drawing;  // empty: a new drawing
  std::string script;   // empty: the terminal, or standard input when that is no terminal
  std::string output;   // empty: none; kStandardOutput: standard output
  std::string svg;
  std::string png;
  // Part of the drawing the pictures show: x1, y1, x2, y2 in world units.
  std::optional<std::array<double, 4>> view;
  std::string module;  // empty: DulkArx.arx beside dulk
  bool no_module = false;
  // --fail: the event of the host interface that is to fail, counted from the first command.
  std::optional<cad::FaultPlan> fault;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

// Parses argv; on a mistake returns nothing and says why in *error.
std::optional<Options> parse_options(const std::vector<std::string>& args, std::string* error);
extern const char kUsage[];

}  // namespace dulk
