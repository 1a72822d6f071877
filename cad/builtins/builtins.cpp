#include "cad/builtins/builtins.h"

#include <string>

#include "cad/builtins/commands.h"

namespace cad {

namespace {

constexpr const Builtin* kBuiltins[] = {
    &kDim1Command,   &kDimstyleCommand, &kDimstylesCommand, &kUcsCommand,     &kLayerCommand,
    &kUndoCommand,   &kUCommand,        &kRedoCommand,      &kRedrawCommand,  &kLineCommand,
    &kPlineCommand,  &kCircleCommand,   &kEraseCommand,     &kMoveCommand,    &kCopyCommand,
    &kRotateCommand, &kScaleCommand,    &kMirrorCommand,    &kStretchCommand, &kListCommand,
    &kAuditCommand,  &kSetvarCommand,   &kHelpCommand,      &kHelpAlias,
};

}  // namespace

void register_builtins(Host& host) {
  for (const Builtin* b : kBuiltins) {
    CommandDef def;
    def.group = "ACAD";
    def.global_name = b->name;
    def.local_name = b->name;
    def.body = [&host, body = b->body] { body(host); };
    def.builtin = true;
    def.help = b->does;
    for (const Prompt& prompt : b->prompts) def.help += "\n" + listed(prompt);
    host.commands().add(std::move(def));
  }
}

}  // namespace cad
