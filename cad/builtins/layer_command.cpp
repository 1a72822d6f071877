// -LAYER: the layer command of the command line. Options repeat until Enter. Name lists are
// separated by commas and may hold wildcards (where the option acts on existing layers).
//
// A layer is off when its colour (62) is negative, frozen with bit 1 and locked with bit 4 of its
// flags (70). The current layer (CLAYER) can be neither frozen nor a layer that is; Set and Make
// turn it on.
#include <cstdlib>
#include <string>
#include <vector>

#include "cad/base/text.h"
#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"
#include "cad/dims/drawing_records.h"
#include "cad/input/parse.h"
#include "cad/select/wildcard.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

constexpr Prompt kOption{
    "Enter an option [?/Make/Set/New/ON/OFF/Color/Ltype/Freeze/Thaw/LOck/Unlock]:"};
constexpr Prompt kToList{"Enter layer name(s) to list <*>:"};
constexpr Prompt kMake{"Enter name for new layer (becomes the current layer) <{current}>:"};
constexpr Prompt kSet{"Enter layer name to make current:"};
constexpr Prompt kNew{"Enter name list for new layer(s):"};
constexpr Prompt kTurnOn{"Enter name list of layer(s) to turn on:"};
constexpr Prompt kTurnOff{"Enter name list of layer(s) to turn off:"};
constexpr Prompt kNewColor{"New color:"};
constexpr Prompt kForColor{"Enter name list of layer(s) for color {number} <{current}>:"};
constexpr Prompt kLinetype{"Enter a loaded linetype name <Continuous>:"};
constexpr Prompt kForLinetype{"Enter name list of layer(s) for linetype \"{name}\" <{current}>:"};
constexpr Prompt kFreeze{"Enter name list of layer(s) to freeze:"};
constexpr Prompt kThaw{"Enter name list of layer(s) to thaw:"};
constexpr Prompt kLock{"Enter name list of layer(s) to lock:"};
constexpr Prompt kUnlock{"Enter name list of layer(s) to unlock:"};
constexpr Prompt kLayerPrompts[] = {kOption,      kToList,  kMake,     kSet,      kNew,
                                    kTurnOn,      kTurnOff, kNewColor, kForColor, kLinetype,
                                    kForLinetype, kFreeze,  kThaw,     kLock,     kUnlock};

std::string current_layer(const Database& db) { return db.get_var("CLAYER")->s; }

std::vector<RecordId> layers(const Database& db) { return db.table_entries("LAYER"); }

std::vector<RecordId> matching_layers(const Database& db, std::string_view patterns) {
  std::vector<RecordId> out;
  for (RecordId id : layers(db))
    if (wildcard_match(patterns, db.record(id).text(2), true)) out.push_back(id);
  return out;
}

// Changes one layer entry; unchanged entries are left alone so undo keeps no empty change.
template <class Change>
void change_layer(Database& db, RecordId id, Change change) {
  Record rec = db.record(id);
  change(rec);
  if (rec != db.record(id)) db.replace(id, std::move(rec));
}

void set_color_sign(Record& layer, bool on) {
  int64_t color = std::abs(layer.integer(62, 7));
  layer.set(Group::integer(62, on ? color : -color));
}

void set_flag(Record& layer, int64_t flag, bool set) {
  int64_t flags = layer.integer(70);
  layer.set(Group::integer(70, set ? (flags | flag) : (flags & ~flag)));
}

std::string ask_text(Host& host, std::string_view prompt) {
  return checked(host.prompter().get_string(prompt, false)).text;
}

// The names of a comma-separated list.
std::vector<std::string> split_names(std::string_view list) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    std::string_view name = list.substr(start, comma - start);
    if (!name.empty()) out.emplace_back(name);
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

// Makes an existing, not frozen layer current and turns it on; says why not otherwise.
bool make_current(Host& host, std::string_view name) {
  Database& db = host.db();
  const RecordId id = db.table_entry("LAYER", name);
  if (id == kNoRecord) {
    say(host, "\nCannot find layer \"" + shown_name(name) + "\".");
    return false;
  }
  if (layer_frozen(db.record(id))) {
    say(host, "\nCannot set frozen layer \"" + std::string(db.record(id).text(2)) + "\" current.");
    return false;
  }
  change_layer(db, id, [](Record& rec) { set_color_sign(rec, true); });
  const std::string spelled(db.record(id).text(2));
  if (current_layer(db) != spelled) db.set_var("CLAYER", VarValue::text(spelled));
  return true;
}

void list_layers(Host& host) {
  std::string patterns = ask_text(host, shown(kToList));
  if (patterns.empty()) patterns = "*";
  const Database& db = host.db();
  say(host, "\nLayer name                       State     Color  Linetype");
  for (RecordId id : matching_layers(db, patterns)) {
    const Record& rec = db.record(id);
    std::string name(rec.text(2));
    name.resize(std::max<size_t>(name.size() + 1, 33), ' ');
    std::string state = rec.integer(62, 7) < 0 ? "Off" : "On";
    if (layer_frozen(rec)) state += " F";
    if (layer_locked(rec)) state += " L";
    state.resize(10, ' ');
    std::string color = std::to_string(std::abs(rec.integer(62, 7)));
    color.resize(7, ' ');
    say(host, "\n" + name + state + color + std::string(rec.text(6, "Continuous")));
  }
}

// A colour number from a number or one of the seven named colours; 0 when neither.
int64_t color_number(std::string_view text) {
  static constexpr const char* kNames[] = {"red",  "yellow",  "green", "cyan",
                                           "blue", "magenta", "white"};
  for (int k = 0; k < 7; ++k)
    if (iequals(text, kNames[k])) return k + 1;
  std::optional<int64_t> n = parse_int(text);
  return n && *n >= 1 && *n <= 255 ? *n : 0;
}

// Asks for layers (Enter: the current one) and changes each that matches.
template <class Change>
void change_listed(Host& host, std::string_view prompt, Change change) {
  Database& db = host.db();
  std::string patterns = ask_text(host, prompt);
  if (patterns.empty()) patterns = current_layer(db);
  const std::vector<RecordId> found = matching_layers(db, patterns);
  if (found.empty()) say(host, "\nNo matching layer names found.");
  for (RecordId id : found) change(id);
}

void freeze(Host& host) {
  Database& db = host.db();
  change_listed(host, shown(kFreeze), [&](RecordId id) {
    if (iequals(db.record(id).text(2), current_layer(db))) {
      say(host, "\nCannot freeze layer \"" + std::string(db.record(id).text(2)) +
                    "\".  It is the CURRENT layer.");
      return;
    }
    change_layer(db, id, [](Record& rec) { set_flag(rec, kLayerFrozen, true); });
  });
}

void color(Host& host) {
  const std::string answer = ask_text(host, shown(kNewColor));
  const int64_t number = color_number(answer);
  if (number == 0) {
    say(host, "\nInvalid color \"" + answer + "\".");
    return;
  }
  Database& db = host.db();
  change_listed(host, shown(kForColor, {std::to_string(number), current_layer(db)}),
                [&](RecordId id) {
                  change_layer(db, id, [&](Record& rec) {
                    const bool off = rec.integer(62, 7) < 0;
                    rec.set(Group::integer(62, off ? -number : number));
                  });
                });
}

void linetype(Host& host) {
  Database& db = host.db();
  std::string name = ask_text(host, shown(kLinetype));
  if (name.empty()) name = "Continuous";
  const RecordId entry = db.table_entry("LTYPE", name);
  if (db.table_index("LTYPE") != Database::npos && entry == kNoRecord) {
    say(host, "\nLinetype \"" + name + "\" not found.");
    return;
  }
  if (entry != kNoRecord) name = std::string(db.record(entry).text(2));
  change_listed(host, shown(kForLinetype, {name, current_layer(db)}), [&](RecordId id) {
    change_layer(db, id, [&](Record& rec) { rec.set(Group::text(6, name)); });
  });
}

// Makes each missing layer of a list; returns the first name (made or found), empty if none.
std::string make_layers(Host& host, std::string_view list) {
  std::string first;
  for (const std::string& name : split_names(list)) {
    if (!valid_table_name(name)) {
      say(host, "\nInvalid layer name \"" + shown_name(name) + "\".");
      continue;
    }
    ensure_layer(host.db(), name);
    if (first.empty()) first = name;
  }
  return first;
}

void layer_command(Host& host) {
  Database& db = host.db();
  say(host, "\nCurrent layer:  \"" + current_layer(db) + "\"");
  for (;;) {
    host.prompter().init_get(0, "? Make Set New ON OFF Color Ltype Freeze Thaw LOck Unlock");
    const Answer a = checked(host.prompter().get_kword(shown(kOption)));
    if (a.status != kRtNorm) return;
    const std::string& option = a.text;
    if (option == "?") {
      list_layers(host);
    } else if (option == "Make") {
      const std::string name = ask_text(host, shown(kMake, {current_layer(db)}));
      const std::string made = name.empty() ? current_layer(db) : make_layers(host, name);
      if (!made.empty()) make_current(host, made);
    } else if (option == "Set") {
      const std::string name = ask_text(host, shown(kSet));
      if (!name.empty()) make_current(host, name);
    } else if (option == "New") {
      make_layers(host, ask_text(host, shown(kNew)));
    } else if (option == "ON" || option == "OFF") {
      const bool on = option == "ON";
      change_listed(host, shown(on ? kTurnOn : kTurnOff), [&](RecordId id) {
        change_layer(db, id, [&](Record& rec) { set_color_sign(rec, on); });
      });
    } else if (option == "Freeze") {
      freeze(host);
    } else if (option == "Thaw" || option == "LOck" || option == "Unlock") {
      const int64_t flag = option == "Thaw" ? kLayerFrozen : kLayerLocked;
      const bool set = option == "LOck";
      const Prompt prompt = option == "Thaw" ? kThaw : set ? kLock : kUnlock;
      change_listed(host, shown(prompt), [&](RecordId id) {
        change_layer(db, id, [&](Record& rec) { set_flag(rec, flag, set); });
      });
    } else if (option == "Color") {
      color(host);
    } else {
      linetype(host);
    }
  }
}

}  // namespace

const Builtin kLayerCommand{
    "-LAYER", layer_command,
    "Lists, makes and sets layers and changes their state, colour and linetype.", kLayerPrompts};

}  // namespace cad
