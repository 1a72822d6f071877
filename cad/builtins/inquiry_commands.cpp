// LIST (what an object is, where it lies in the current UCS and what it measures, in the form of
// the real host's LIST), HELP, SETVAR (system variables by name, through the same rules as the
// host interface's acedSetVar) and REDRAW (clears the temporary vectors).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "cad/base/text.h"
#include "cad/builtins/builtins.h"
#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"
#include "cad/dims/style_table.h"
#include "cad/geom/arcs.h"
#include "cad/geom/coords.h"
#include "cad/input/parse.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

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
    if (layer == kNoRecord || layer_frozen(db.record(layer))) return false;
    v.s = std::string(db.record(layer).text(2));
  }
  if (!db.set_var(info->name, v)) return false;
  note_dim_var_set(db, info->name);
  return true;
}

namespace {

constexpr double kPi = std::numbers::pi;
// Where LIST's type ends and the layer begins, as on the real host's screen, and where the labels
// of the lines below end (the longest, "dimension line defining point,", fits).
constexpr size_t kTypeEnd = 22;
constexpr size_t kValueColumn = 28;
constexpr size_t kLabelEnd = 31;

std::string padded_left(std::string_view text, size_t width) {
  std::string out(width > text.size() ? width - text.size() : 0, ' ');
  return out += text;
}

const char* color_name(int64_t color) {
  static constexpr const char* kNames[] = {"BYBLOCK", "red",  "yellow",  "green",
                                           "cyan",    "blue", "magenta", "white"};
  return color >= 0 && color <= 7 ? kNames[color] : nullptr;
}

const char* dimension_type_name(const Record& dim) {
  switch (dimension_type(dim)) {
    case kRotatedDimension: {
      const double rotation = normalize_angle(dim.real(50));
      if (std::abs(rotation) < 1e-9 || std::abs(rotation - kPi) < 1e-9) return "horizontal";
      if (std::abs(rotation - kPi / 2) < 1e-9 || std::abs(rotation - 3 * kPi / 2) < 1e-9)
        return "vertical";
      return "rotated";
    }
    case kAlignedDimension:
      return "aligned";
    case kAngularDimension:
      return "angular";
    case kDiameterDimension:
      return "diameter";
    case kRadiusDimension:
      return "radius";
    case kAngular3PointDimension:
      return "angular 3 point";
    case kOrdinateDimension:
      return "ordinate";
  }
  return "unknown";
}

// The lines LIST shows for one object.
class Lister {
 public:
  Lister(Host& host, RecordId id)
      : host_(host),
        db_(host.db()),
        id_(id),
        rec_(db_.record(id)),
        extrusion_(rec_.point(210, {0, 0, 1})) {}

  void header() {
    std::string first = padded_left(rec_.type, kTypeEnd);
    first.resize(std::max(first.size() + 2, kValueColumn), ' ');
    out("\n" + first + "Layer: \"" + std::string(rec_.text(8, "0")) + "\"");
    out("\n" + std::string(kValueColumn, ' ') +
        "Space: " + (rec_.integer(67) == 1 ? "Paper space" : "Model space"));
    std::string look;
    if (const Group* color = rec_.find(62); color && color->i() != 256) {
      look = "Color: " + std::to_string(color->i());
      if (const char* name = color_name(color->i()); name && color->i() != 0)
        look += " (" + std::string(name) + ")";
      else if (color->i() == 0)
        look = "Color: BYBLOCK";
    }
    if (const Group* ltype = rec_.find(6); ltype && !iequals(ltype->s(), "BYLAYER"))
      look += (look.empty() ? "" : "    ") + std::string("Linetype: \"") + std::string(ltype->s()) +
              "\"";
    if (!look.empty()) out("\n" + std::string(kValueColumn, ' ') + look);
    value("Handle =", std::string(rec_.text(rec_.handle_code())));
    if (const double thickness = rec_.real(39); thickness != 0)
      value("Thickness =", length(thickness));
    if (rec_.has(210) && normalized(extrusion_) != normalized(host_.ucs().z_axis()))
      point("Extrusion direction relative to UCS", host_.ucs().from_world_disp(extrusion_));
  }

  void body() {
    const std::string& t = rec_.type;
    if (t == "LINE")
      line();
    else if (t == "CIRCLE" || t == "ARC")
      circle_or_arc();
    else if (t == "POINT")
      world_point("at point", 10);
    else if (t == "LWPOLYLINE" || t == "POLYLINE")
      polyline();
    else if (t == "TEXT" || t == "ATTDEF" || t == "ATTRIB" || t == "MTEXT")
      text();
    else if (t == "INSERT")
      insert();
    else if (t == "DIMENSION")
      dimension();
    else
      groups();
    extended_data();
  }

 private:
  void out(const std::string& text) { say(host_, text); }
  std::string length(double v) const { return format_length(db_, v); }
  std::string degrees(double radians) const {
    std::optional<VarValue> prec = db_.get_var("AUPREC");
    const int decimals = prec ? static_cast<int>(std::clamp<int64_t>(prec->i, 0, 8)) : 0;
    char buf[64];
    const double d = normalize_angle(radians) * 180 / kPi;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, d);
    return buf;
  }
  // A world direction as an angle in the XY plane of the current UCS.
  std::string ucs_angle(Vec3 direction) const {
    return degrees(angle_in_ucs_of_world_direction(host_.ucs(), direction));
  }
  // An angle of the object's plane as an angle in the current UCS.
  std::string ocs_angle(double radians) const {
    return ucs_angle(ocs_to_world_disp({std::cos(radians), std::sin(radians), 0}, extrusion_));
  }

  void value(std::string_view label, const std::string& text) {
    out("\n" + padded_left(label, kLabelEnd) + (text.empty() ? "" : " " + text));
  }
  // A point given in the current UCS.
  void point(std::string_view label, Vec3 p) {
    auto number = [&](double v) { return padded_left(length(v), 9); };
    out("\n" + padded_left(std::string(label) + ",", kLabelEnd) + " X=" + number(p.x) +
        "  Y=" + number(p.y) + "  Z=" + number(p.z));
  }
  Vec3 ucs_of_world(Vec3 p) const { return host_.ucs().from_world(p); }
  Vec3 ucs_of_ocs(Vec3 p) const { return ucs_of_world(ocs_to_world(p, extrusion_)); }
  void world_point(std::string_view label, int code) {
    if (rec_.has(code)) point(label, ucs_of_world(rec_.point(code)));
  }
  void ocs_point(std::string_view label, int code) {
    if (rec_.has(code)) point(label, ucs_of_ocs(rec_.point(code)));
  }

  void line() {
    world_point("from point", 10);
    world_point("to point", 11);
    const Vec3 d = host_.ucs().from_world_disp(rec_.point(11) - rec_.point(10));
    value("Length =", length(cad::length(d)) +
                          ",  Angle in XY Plane = " + ucs_angle(rec_.point(11) - rec_.point(10)));
    value("Delta X =", length(d.x) + ", Delta Y = " + length(d.y) + ", Delta Z = " + length(d.z));
  }

  void circle_or_arc() {
    const double r = rec_.real(40);
    ocs_point("center point", 10);
    value("radius", length(r));
    if (rec_.type == "CIRCLE") {
      value("circumference", length(2 * kPi * r));
      value("area", length(kPi * r * r));
      return;
    }
    const double start = rec_.real(50);
    const double end = rec_.real(51);
    const double sweep = normalize_angle(end - start);
    value("start angle", ocs_angle(start));
    value("end angle", ocs_angle(end));
    value("length", length(r * (sweep == 0 ? 2 * kPi : sweep)));
  }

  void polyline() {
    const bool closed = (rec_.integer(70) & kPolylineClosed) != 0;
    value(closed ? "Closed" : "Open", "");
    if (rec_.type == "LWPOLYLINE") {
      if (rec_.has(43)) value("Constant width", length(rec_.real(43)));
      const double elevation = rec_.real(38);
      for (const Group& g : rec_.groups)
        if (g.code == 10) point("at point", ucs_of_ocs({g.x(), g.y(), elevation}));
      return;
    }
    const bool world = (rec_.integer(70) & kPolylineWorldVertices) != 0;
    const std::vector<RecordId>& list = db_.entities();
    const size_t at = db_.position(id_);
    if (at == Database::npos || db_.area(id_) != Area::kEntities) return;
    for (size_t k = at + 1; k < list.size(); ++k) {
      const Record& v = db_.record(list[k]);
      if (v.type != "VERTEX") break;
      point("at point", world ? ucs_of_world(v.point(10)) : ucs_of_ocs(v.point(10)));
    }
  }

  void text() {
    const bool mtext = rec_.type == "MTEXT";
    value("Style =", "\"" + std::string(rec_.text(7, "Standard")) + "\"");
    if (mtext) {
      world_point("Location", 10);
    } else {
      ocs_point("start point", 10);
      if (rec_.integer(72) != 0 || rec_.integer(73) != 0) ocs_point("align point", 11);
    }
    value("height", length(rec_.real(40)));
    if (rec_.type == "ATTDEF" || rec_.type == "ATTRIB") value("Tag:", std::string(rec_.text(2)));
    value(mtext ? "Contents:" : "text", std::string(rec_.text(1)));
    if (mtext && rec_.has(11))
      value("Rotation:", ucs_angle(rec_.point(11)));
    else
      value("rotation angle", ocs_angle(rec_.real(50)));
  }

  void insert() {
    value("Block Name:", "\"" + std::string(rec_.text(2)) + "\"");
    ocs_point("at point", 10);
    value("X scale factor:", length(rec_.real(41, 1)));
    value("Y scale factor:", length(rec_.real(42, 1)));
    value("rotation angle:", ocs_angle(rec_.real(50)));
    value("Z scale factor:", length(rec_.real(43, 1)));
  }

  void dimension() {
    value("type:", dimension_type_name(rec_));
    world_point("1st extension defining point", 13);
    world_point("2nd extension defining point", 14);
    world_point("dimension line defining point", 10);
    ocs_point("default text position", 11);
    value("measurement:", length(rec_.real(42)));
    const std::string_view text = rec_.text(1);
    if (text.empty() || text == "<>")
      value("default text", "");
    else
      value("text override:", "\"" + std::string(text) + "\"");
    value("dimension style:", "\"" + std::string(rec_.text(3)) + "\"");
  }

  // Types LIST has no form for show their groups as the drawing keeps them.
  void groups() {
    for (size_t k = 0; k < rec_.xdata_begin(); ++k) {
      const Group& g = rec_.groups[k];
      if (g.code == rec_.handle_code() || g.code == 8 || g.code == 6 || g.code == 62 ||
          g.code == 67)
        continue;
      value(std::to_string(g.code) + ":", group_text(db_, g));
    }
  }

  // The applications whose data the object carries (the chain a dimension belongs to).
  void extended_data() {
    std::string apps;
    for (size_t k = rec_.xdata_begin(); k < rec_.groups.size(); ++k)
      if (rec_.groups[k].code == 1001)
        apps += (apps.empty() ? "" : ", ") + std::string(rec_.groups[k].s());
    if (!apps.empty()) value("extended data:", apps);
  }

  Host& host_;
  const Database& db_;
  RecordId id_;
  const Record& rec_;
  Vec3 extrusion_;
};

// Commands grouped by who added them: the host first, then the others in the order they came.
struct CommandGroup {
  std::string origin;
  std::vector<const CommandDef*> commands;
};

std::vector<CommandGroup> command_groups(Host& host) {
  std::vector<CommandGroup> groups{{"", {}}};
  for (const auto& shared : host.commands().commands()) {
    const CommandDef& def = *shared;
    auto it = std::find_if(groups.begin(), groups.end(),
                           [&](const CommandGroup& g) { return g.origin == def.origin; });
    if (it == groups.end()) it = groups.insert(groups.end(), {def.origin, {}});
    it->commands.push_back(&def);
  }
  for (CommandGroup& g : groups) {
    std::sort(g.commands.begin(), g.commands.end(), [](const CommandDef* a, const CommandDef* b) {
      return to_upper(a->local_name) < to_upper(b->local_name);
    });
  }
  return groups;
}

void list_commands(Host& host) {
  for (const CommandGroup& group : command_groups(host)) {
    if (group.commands.empty()) continue;
    say(host,
        group.origin.empty() ? "\nCommands of the host:" : "\nCommands of " + group.origin + ":");
    size_t width = 0;
    for (const CommandDef* def : group.commands) width = std::max(width, def->local_name.size());
    for (const CommandDef* def : group.commands) {
      std::string row = "\n  " + def->local_name;
      std::string about = def->help.substr(0, def->help.find('\n'));
      if (about.empty() && !iequals(def->local_name, def->global_name))
        about = "(_" + def->global_name + ")";
      if (!about.empty()) row += std::string(width + 2 - def->local_name.size(), ' ') + about;
      say(host, row);
    }
  }
  say(host, "\nHELP and a command's name say what it does and which prompts it asks.");
}

}  // namespace

bool print_help(Host& host, std::string_view name) {
  if (name.empty()) {
    list_commands(host);
    return true;
  }
  const CommandDef* def = host.commands().find(name);
  if (!def) {
    say(host, "\nNo command named \"" + std::string(name) + "\".");
    return false;
  }
  std::string head = "\n" + def->local_name;
  if (!iequals(def->local_name, def->global_name)) head += " (_" + def->global_name + ")";
  if (!def->origin.empty()) head += ", a command of " + def->origin;
  const size_t line_end = def->help.find('\n');
  const std::string about = def->help.substr(0, line_end);
  say(host, head + (about.empty() ? "." : ": " + about));
  if (line_end == std::string::npos) return true;
  say(host, "\nIt asks:");
  std::string_view prompts = std::string_view(def->help).substr(line_end + 1);
  while (!prompts.empty()) {
    const size_t end = prompts.find('\n');
    say(host, "\n  " + std::string(prompts.substr(0, end)));
    prompts = end == std::string_view::npos ? std::string_view{} : prompts.substr(end + 1);
  }
  return true;
}

namespace {

constexpr Prompt kCommandName{"Enter a command name <list them all>:"};
constexpr Prompt kVariableName{"Enter variable name or [?]:"};
constexpr Prompt kNewValue{"Enter new value for {name} <{value}>:"};
constexpr Prompt kListPrompts[] = {kSelectObjects};
constexpr Prompt kHelpPrompts[] = {kCommandName};
constexpr Prompt kSetvarPrompts[] = {kVariableName, kNewValue};

void list_command(Host& host) {
  for (RecordId id : select_objects(host)) {
    Lister lister(host, id);
    lister.header();
    lister.body();
  }
}

void help_command(Host& host) {
  const Answer a = checked(host.prompter().get_string(shown(kCommandName), false));
  print_help(host, a.text);
}

void setvar_command(Host& host) {
  Prompter& prompter = host.prompter();
  const Answer name = checked(prompter.get_string(shown(kVariableName), false));
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
  const Answer text = checked(
      prompter.get_string(shown(kNewValue, {info->name, current}), info->type == VarType::kString));
  if (text.text.empty()) return;
  const std::optional<VarValue> value = parse_value(*info, text.text, prompter.last_point());
  if (!value || !set_variable(host, info->name, *value))
    say(host, "\nInvalid value for " + std::string(info->name) + ": \"" + text.text + "\".");
}

void redraw_command(Host& host) { host.temp_vectors().clear(); }

}  // namespace

const Builtin kListCommand{"LIST", list_command, "Shows what the drawing holds for objects.",
                           kListPrompts};
const Builtin kSetvarCommand{"SETVAR", setvar_command, "Shows or sets a system variable.",
                             kSetvarPrompts};
const Builtin kRedrawCommand{
    "REDRAW", redraw_command, "Clears the temporary vectors drawn by programs.", {}};
const Builtin kHelpCommand{"HELP", help_command,
                           "Lists the commands, or says what one does and which prompts it asks.",
                           kHelpPrompts};
const Builtin kHelpAlias{"?", help_command, "The same as HELP.", kHelpPrompts};

}  // namespace cad
