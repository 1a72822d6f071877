// The command line of dulk.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cad/ads/faults.h"
#include "cad/dxf/tag_writer.h"

namespace dulk {

// -o -, --svg -, --png - : the drawing or the picture goes to standard output.
inline constexpr const char* kStandardOutput = "-";

struct Options {
  std::string drawing;  // empty: a new drawing
  // --check: the chains of the drawings named are checked, and nothing else is done.
  bool check = false;
  bool recover = false;               // --recover: the drawing is read as RECOVER reads it
  std::vector<std::string> drawings;  // as named on the command line, with or without --check
  std::string script;  // empty: the terminal, or standard input when that is no terminal
  std::string output;  // empty: none; kStandardOutput: standard output
  // --binary, --ascii: the form of the output; none: the form of the drawing read (ASCII for a
  // new drawing).
  std::optional<cad::DxfForm> output_form;
  std::string svg;  // empty: none; kStandardOutput: standard output
  std::string png;  // likewise
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

// Why the outputs of a run cannot all be written, or empty: two of them name the same file (also
// through links or another spelling of its path) or both standard output, or a picture names the
// drawing opened. The drawing may be written over itself (-o names it); a picture never replaces
// a drawing.
std::string conflicting_outputs(const Options& options);
extern const char kUsage[];

}  // namespace dulk
