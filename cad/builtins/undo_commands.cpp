// UNDO, U and REDO over the host's undo steps. UNDO takes a number of steps to undo or one of its
// options: Auto (ON/OFF), Control (All/None/One), BEgin (also by its old name Group), End,
// Mark and Back. With undo off only Control is offered; limited to one command, only Control and
// a number. Each command prints the names of the steps it undid (or redid).
#include <string>

#include "cad/ads/undo.h"
#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"

namespace cad {

namespace {

constexpr Prompt kCount{
    "Enter the number of operations to undo or [Auto/Control/BEgin/End/Mark/Back] <1>:"};
// When undo keeps one command only.
constexpr Prompt kOneCount{"Enter the number of operations to undo or [Control] <1>:"};
constexpr Prompt kAutoMode{"Enter UNDO Auto mode [ON/OFF] <On>:"};
constexpr Prompt kControl{"Enter an UNDO control option [All/None/One] <All>:"};
constexpr Prompt kBackAll{"This will undo everything. OK? <Y>:"};
constexpr Prompt kUndoPrompts[] = {kCount, kOneCount, kAutoMode, kControl, kBackAll};

std::string joined(const std::vector<std::string>& names) {
  std::string line;
  for (const std::string& name : names) line += (line.empty() ? "" : " ") + name;
  return line;
}

void report_undone(Host& host, const std::vector<std::string>& names) {
  const std::string line = joined(names);
  say(host, line.empty() ? "\nEverything has been undone" : "\n" + line);
}

void undo_steps(Host& host, int64_t count) {
  std::vector<std::string> names;
  while (count-- > 0) {
    std::optional<std::string> name = host.undo().back_one();
    if (!name) break;
    names.push_back(*name);
  }
  report_undone(host, names);
}

void control(Host& host) {
  host.prompter().init_get(0, "All None One");
  const Answer a = checked(host.prompter().get_kword(shown(kControl)));
  UndoSteps& undo = host.undo();
  if (a.status != kRtNorm || a.text == "All")
    undo.control_all();
  else if (a.text == "None")
    undo.control_none();
  else
    undo.control_one();
}

void auto_mode(Host& host) {
  host.prompter().init_get(0, "ON OFF");
  const Answer a = checked(host.prompter().get_kword(shown(kAutoMode)));
  host.undo().set_auto(a.status != kRtNorm || a.text == "ON");
}

void back(Host& host) {
  UndoSteps& undo = host.undo();
  if (!undo.has_mark()) {
    host.prompter().init_get(0, "Yes No");
    const Answer a = checked(host.prompter().get_kword(shown(kBackAll)));
    if (a.status == kRtNorm && a.text == "No") return;
  }
  if (undo.back_to_mark())
    say(host, "\nMark encountered");
  else
    say(host, "\nEverything has been undone");
}

void undo_command(Host& host) {
  UndoSteps& undo = host.undo();
  Prompter& prompter = host.prompter();
  if (!undo.enabled()) {
    control(host);
    return;
  }
  if (undo.one_command()) {
    prompter.init_get(kInitNoZero | kInitNoNegative, "Control");
    const Answer a = checked(prompter.get_int(shown(kOneCount)));
    if (a.status == kRtKword)
      control(host);
    else
      undo_steps(host, a.status == kRtNorm ? a.integer : 1);
    return;
  }
  prompter.init_get(kInitNoZero | kInitNoNegative, "Auto Control BEgin End Mark Back Group");
  const Answer a = checked(prompter.get_int(shown(kCount)));
  if (a.status != kRtKword) {
    undo_steps(host, a.status == kRtNorm ? a.integer : 1);
    return;
  }
  if (a.text == "Auto") {
    auto_mode(host);
  } else if (a.text == "Control") {
    control(host);
  } else if (a.text == "BEgin" || a.text == "Group") {
    undo.begin_group();
  } else if (a.text == "End") {
    undo.end_group();
  } else if (a.text == "Mark") {
    undo.add_mark();
  } else {
    back(host);
  }
}

void redo_command(Host& host) {
  const std::optional<std::vector<std::string>> names = host.undo().redo();
  if (!names) {
    say(host, "\nREDO must immediately follow U or UNDO.");
    return;
  }
  if (!names->empty()) say(host, "\n" + joined(*names));
}

void u_command(Host& host) {
  if (!host.undo().enabled()) {
    say(host, "\nUndo is turned off (UNDO Control None).");
    return;
  }
  undo_steps(host, 1);
}

}  // namespace

const Builtin kUndoCommand{
    "UNDO", undo_command, "Undoes commands, or groups them, marks a place and sets how undo works.",
    kUndoPrompts};
const Builtin kUCommand{"U", u_command, "Undoes the last command.", {}};
const Builtin kRedoCommand{
    "REDO", redo_command, "Makes again what the U or UNDO just before took back.", {}};

}  // namespace cad
