#include "cad/builtins/builtins.h"

#include "cad/builtins/commands.h"

namespace cad {

namespace {

struct Builtin {
  const char* name;
  void (*body)(Host&);
};

constexpr Builtin kBuiltins[] = {
    {"DIM1", dim1_command},   {"-DIMSTYLE", dimstyle_command}, {"DIMSTYLES", dimstyles_command},
    {"UCS", ucs_command},     {"-LAYER", layer_command},       {"UNDO", undo_command},
    {"U", u_command},         {"REDRAW", redraw_command},      {"LINE", line_command},
    {"PLINE", pline_command}, {"CIRCLE", circle_command},      {"ERASE", erase_command},
    {"MOVE", move_command},   {"LIST", list_command},          {"SETVAR", setvar_command},
};

}  // namespace

void register_builtins(Host& host) {
  for (const Builtin& b : kBuiltins) {
    CommandDef def;
    def.group = "ACAD";
    def.global_name = b.name;
    def.local_name = b.name;
    def.body = [&host, body = b.body] { body(host); };
    def.builtin = true;
    host.commands().add(std::move(def));
  }
}

}  // namespace cad
