// The command line of dulk: its usage text and the parsing of its arguments.
#include "app/options.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <utility>

#include "cad/files/save.h"

namespace dulk {

const char kUsage[] =
    "usage: dulk [[--recover] DRAWING.dxf] [-s SCRIPT] [-o OUT.dxf|-] [--binary|--ascii]\n"
    "            [--svg OUT.svg|-] [--png OUT.png|-] [--view X1,Y1,X2,Y2]\n"
    "            [--load MODULE | --no-module] [--fail KIND:N] [--quiet]\n"
    "       dulk --check DRAWING.dxf... [--load MODULE] [--quiet]\n"
    "\n"
    "Opens DRAWING (or a new drawing) in the stand-in host with the dimension-chain module\n"
    "loaded, runs SCRIPT (or the interactive command line; standard input when it is no\n"
    "terminal), then saves OUT.dxf and draws OUT.svg / OUT.png. The end of a run writes\n"
    "over the input drawing only when -o names it; a picture never replaces a drawing.\n"
    "\n"
    "With --check it opens each DRAWING in turn, changing none, and prints every chain of\n"
    "dimensions that the module's BemUpd would change, then how many drawings, chains\n"
    "and stale chains it saw (docs/check.md).\n"
    "\n"
    "      --recover       read what can be read of a damaged DRAWING and say what was\n"
    "                      mended or left out, as RECOVER does\n"
    "  -s, --script FILE   replies in the host's script form\n"
    "  -o, --output FILE   save the drawing as DXF after the script (-: to standard\n"
    "                      output, the transcript then going to standard error), in the\n"
    "                      form of the drawing read (binary or ASCII DXF)\n"
    "      --binary, --ascii   write -o as binary or as ASCII DXF\n"
    "      --svg FILE      draw model space as SVG after the script (-: to standard\n"
    "                      output, as with -o -)\n"
    "      --png FILE      draw model space as PNG (needs rsvg-convert; -: likewise)\n"
    "      --view X1,Y1,X2,Y2  the pictures show this window of the drawing\n"
    "      --load FILE     load this module instead of DulkArx.arx beside dulk\n"
    "      --no-module     load no module\n"
    "      --check         check the chains of the drawings named\n"
    "      --fail KIND:N   make the Nth allocation, creation or change of the host\n"
    "                      interface fail (KIND: allocation, creation, change), counted\n"
    "                      from the first command; says so when it never happened\n"
    "  -q, --quiet         print nothing but errors\n"
    "  -h, --help          this text\n"
    "      --version       the version\n"
    "\n"
    "At the command line, ARX lists, loads and unloads modules; SAVE and QSAVE write the\n"
    "drawing's file (the old one kept as NAME.bak), SAVEAS another; QUIT asks first\n"
    "whether to save unsaved changes, in a script too (its next line answers), and so\n"
    "does Ctrl-D at the terminal.\n"
    "\n"
    "Exit status: 0 success; 1 a script failed (each failure is named with its line on\n"
    "standard error, and nothing is written) or a file could not be read or written;\n"
    "2 a mistake on this command line (two outputs that name the same file among them).\n"
    "With --check: 0 every chain current, 1 a chain stale, 2 a drawing could not be read\n"
    "(the others are still checked).\n";

std::optional<Options> parse_options(const std::vector<std::string>& args, std::string* error) {
  Options o;
  for (size_t k = 0; k < args.size(); ++k) {
    const std::string& a = args[k];
    auto value = [&](std::string* into) {
      if (k + 1 >= args.size()) {
        *error = "option " + a + " needs a value";
        return false;
      }
      *into = args[++k];
      return true;
    };
    // An empty name would be taken for no file at all (no output, a new drawing).
    auto file = [&](std::string* into) {
      if (!value(into)) return false;
      if (!into->empty()) return true;
      *error = "option " + a + " needs a file name, got an empty one";
      return false;
    };
    if (a == "-s" || a == "--script") {
      if (!file(&o.script)) return std::nullopt;
    } else if (a == "-o" || a == "--output") {
      if (!file(&o.output)) return std::nullopt;
    } else if (a == "--binary" || a == "--ascii") {
      const cad::DxfForm form = a == "--binary" ? cad::DxfForm::kBinary : cad::DxfForm::kAscii;
      if (o.output_form && *o.output_form != form) {
        *error = "options --binary and --ascii exclude each other";
        return std::nullopt;
      }
      o.output_form = form;
    } else if (a == "--svg") {
      if (!file(&o.svg)) return std::nullopt;
    } else if (a == "--png") {
      if (!file(&o.png)) return std::nullopt;
    } else if (a == "--view") {
      std::string text;
      if (!value(&text)) return std::nullopt;
      std::array<double, 4> v{};
      char tail = 0;
      if (std::sscanf(text.c_str(), "%lf,%lf,%lf,%lf%c", &v[0], &v[1], &v[2], &v[3], &tail) != 4) {
        *error = "--view expects four numbers x1,y1,x2,y2, got '" + text + "'";
        return std::nullopt;
      }
      // The sizes too: corners far apart may span more than a number holds.
      const double width = v[2] - v[0];
      const double height = v[3] - v[1];
      if (!std::isfinite(width) || !std::isfinite(height)) {
        *error = "--view expects finite numbers, got '" + text + "'";
        return std::nullopt;
      }
      if (width == 0 || height == 0) {
        *error = "--view expects a window of some width and height, got '" + text + "'";
        return std::nullopt;
      }
      o.view = v;
    } else if (a == "--load") {
      if (!file(&o.module)) return std::nullopt;
    } else if (a == "--fail") {
      std::string text;
      if (!value(&text)) return std::nullopt;
      o.fault = cad::parse_fault_plan(text, error);
      if (!o.fault) return std::nullopt;
    } else if (a == "--check") {
      o.check = true;
    } else if (a == "--recover") {
      o.recover = true;
    } else if (a == "--no-module") {
      o.no_module = true;
    } else if (a == "-q" || a == "--quiet") {
      o.quiet = true;
    } else if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (!a.empty() && a[0] == '-') {
      *error = "unknown option " + a;
      return std::nullopt;
    } else if (a.empty()) {
      *error = "the drawing's name is empty";
      return std::nullopt;
    } else {
      o.drawings.push_back(a);
    }
  }
  if (o.check) {
    // What a check would not use: it runs no script and writes nothing.
    const std::pair<bool, const char*> unused[] = {
        {!o.script.empty(), "-s"},      {!o.output.empty(), "-o"},
        {!o.svg.empty(), "--svg"},      {!o.png.empty(), "--png"},
        {o.view.has_value(), "--view"}, {o.fault.has_value(), "--fail"},
        {o.no_module, "--no-module"},   {o.output_form.has_value(), "--binary or --ascii"}};
    for (const auto& [given, option] : unused) {
      if (!given) continue;
      *error = std::string("--check and ") + option + " exclude each other";
      return std::nullopt;
    }
    if (o.drawings.empty()) {
      *error = "--check needs at least one drawing";
      return std::nullopt;
    }
    return o;
  }
  if (o.drawings.size() > 1) {
    *error = "more than one drawing given: " + o.drawings[0] + " and " + o.drawings[1];
    return std::nullopt;
  }
  if (!o.drawings.empty()) o.drawing = o.drawings[0];
  if (o.no_module && !o.module.empty()) {
    *error = "--load and --no-module exclude each other";
    return std::nullopt;
  }
  if (o.recover && o.drawing.empty()) {
    *error = "--recover needs a drawing to read";
    return std::nullopt;
  }
  if (o.output_form && o.output.empty()) {
    *error = std::string(*o.output_form == cad::DxfForm::kBinary ? "--binary" : "--ascii") +
             " is the form of -o, which is not given";
    return std::nullopt;
  }
  return o;
}

std::string conflicting_outputs(const Options& options) {
  struct Output {
    const char* option;
    const std::string& path;
    bool picture;
  };
  const Output outputs[] = {
      {"-o", options.output, false}, {"--svg", options.svg, true}, {"--png", options.png, true}};
  auto named = [](const Output& o) { return std::string(o.option) + " " + o.path; };
  for (size_t k = 0; k < std::size(outputs); ++k) {
    const Output& a = outputs[k];
    if (a.path.empty()) continue;
    const bool a_out = a.path == kStandardOutput;
    if (a.picture && !a_out && !options.drawing.empty() && cad::same_file(a.path, options.drawing))
      return named(a) + " names the drawing " + options.drawing +
             "; a picture never replaces a drawing";
    for (size_t j = 0; j < k; ++j) {
      const Output& b = outputs[j];
      if (b.path.empty() || (b.path == kStandardOutput) != a_out) continue;
      if (a_out) return named(b) + " and " + named(a) + " both write to standard output";
      if (!cad::same_file(a.path, b.path)) continue;
      if (!b.picture)
        return named(a) + " names the same file as " + named(b) +
               "; a picture never replaces a drawing";
      return named(b) + " and " + named(a) + " name the same file";
    }
  }
  return {};
}

}  // namespace dulk
