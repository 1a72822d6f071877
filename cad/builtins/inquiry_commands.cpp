// LIST (an object's groups as the drawing keeps them), SETVAR (system variables by name, through
// the same rules as the host interface's acedSetVar) and REDRAW (clears the temporary vectors).
#include <string>

#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"
#include "cad/dims/style_table.h"
#include "cad/input/parse.h"

namespace cad {

namespace {

constexpr int64_t kLayerFrozen = 1;

std::string group_text(const Database& db, const Group& g) {
  switch (g.type()) {
    case GroupType::kPoint:
      return format_point(db, g.pt());
    case GroupType::kReal:
      return format_length(db, g.x());
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      return std::to_string(g.i());
    case GroupType::kText:
    case GroupType::kHandle:
    case GroupType::kBinary:
    case GroupType::kComment:
      break;
  }
  return std::string(g.s());
}

std::string value_text(const Database& db, const VarValue& v) {
  switch (v.type) {
    case VarType::kReal:
      return format_length(db, v.r);
    case VarType::kString:
      return "\"" + v.s + "\"";
    case VarType::kPoint:
      return format_point(db, v.p);
    case VarType::kShort:
    case VarType::kLong:
      break;
  }
  return std::to_string(v.i);
}

// The value typed for a variable of this type; nothing when it does not read as one.
std::optional<VarValue> parse_value(const SysVarInfo& info, const std::string& text, Vec3 last) {
  switch (info.type) {
    case VarType::kReal:
      if (auto r = parse_real(text)) return VarValue::real(*r);
      return std::nullopt;
    case VarType::kString:
      // "." stands for the empty text, which Enter cannot give (it keeps the value).
      return VarValue::text(text == "." ? std::string() : text);
    case VarType::kPoint:
      if (auto p = parse_point(text, last)) return VarValue::point(*p);
      return std::nullopt;
    case VarType::kShort:
    case VarType::kLong:
      break;
  }
  if (auto i = parse_int(text)) return VarValue::integer(*i, info.type);
  return std::nullopt;
}

}  // namespace

bool set_variable(Host& host, std::string_view name, const VarValue& value) {
  Database& db = host.db();
  const SysVarInfo* info = sysvar_info(name);
  if (!info || info->read_only) return false;
  VarValue v = value;
  if (iequals(info->name, "CLAYER")) {
    const RecordId layer = db.table_entry("LAYER", v.s);
    if (layer == kNoRecord || (db.record(layer).integer(70) & kLayerFrozen)) return false;
    v.s = std::string(db.record(layer).text(2));
  }
  if (!db.set_var(info->name, v)) return false;
  note_dim_var_set(db, info->name);
  return true;
}

void list_command(Host& host) {
  const Database& db = host.db();
  for (RecordId id : select_objects(host)) {
    const Record& rec = db.record(id);
    say(host, "\n" + rec.type + "  Layer: \"" + std::string(rec.text(8, "0")) +
                  "\"  Handle = " + std::string(rec.text(rec.handle_code())));
    for (const Group& g : rec.groups) {
      if (g.code == rec.handle_code() || g.code == 8) continue;
      say(host, "\n  " + std::to_string(g.code) + ": " + group_text(db, g));
    }
  }
}

void setvar_command(Host& host) {
  Prompter& prompter = host.prompter();
  const Answer name = checked(prompter.get_string("\nEnter variable name or [?]: ", false));
  if (name.text.empty()) return;
  if (name.text == "?") {
    for (const SysVarInfo& info : all_sysvars()) {
      if (auto v = host.get_var(info.name))
        say(host, "\n" + std::string(info.name) + "  " + value_text(host.db(), *v));
    }
    return;
  }
  const SysVarInfo* info = sysvar_info(name.text);
  if (!info) {
    say(host, "\nUnknown variable name.  Type SETVAR ? for a list of variables.");
    return;
  }
  const std::string current = value_text(host.db(), *host.get_var(info->name));
  if (info->read_only) {
    say(host, "\n" + std::string(info->name) + " = " + current + " (read only)");
    return;
  }
  const Answer text = checked(prompter.get_string(
      "\nEnter new value for " + std::string(info->name) + " <" + current + ">: ",
      info->type == VarType::kString));
  if (text.text.empty()) return;
  const std::optional<VarValue> value = parse_value(*info, text.text, prompter.last_point());
  if (!value || !set_variable(host, info->name, *value))
    say(host, "\nInvalid value for " + std::string(info->name) + ": \"" + text.text + "\".");
}

void redraw_command(Host& host) { host.temp_vectors().clear(); }

}  // namespace cad
