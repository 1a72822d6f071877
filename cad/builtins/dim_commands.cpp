// DIM1 (one dimensioning subcommand: horizontal, vertical, continued dimensions, saving and
// restoring dimension styles), -DIMSTYLE and DIMSTYLES.
//
// A linear dimension lies in the XY plane of the current UCS (its extrusion is the UCS's Z axis);
// its rotation (50) is the UCS X axis (horizontal) or Y axis (vertical) measured in the object
// system, and 51 keeps the negative of the UCS X axis angle there, so that UCS OBject on the
// dimension finds that UCS's directions again.
#include <cmath>
#include <numbers>
#include <string>

#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"
#include "cad/dims/dim_block.h"
#include "cad/dims/dim_text.h"
#include "cad/dims/style_table.h"
#include "cad/geom/arcs.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

constexpr Prompt kDim{"Dim:"};
constexpr Prompt kFirstOrigin{"Specify first extension line origin:"};
constexpr Prompt kSecondOrigin{"Specify second extension line origin:"};
constexpr Prompt kLocation{"Specify dimension line location:"};
constexpr Prompt kText{"Dimension text <{measurement}>:"};
constexpr Prompt kNewStyle{"Enter name for new dimension style or [?]:"};
constexpr Prompt kReplace{"Replace it? <N>:"};
constexpr Prompt kStyleName{"Enter dimension style name or [?]:"};
constexpr Prompt kStyleOption{"Enter a dimension style option [Save/Restore/STatus/?] <Restore>:"};
constexpr Prompt kDim1Prompts[] = {kDim,  kFirstOrigin, kSecondOrigin, kLocation,
                                   kText, kNewStyle,    kReplace,      kStyleName};
constexpr Prompt kDimstylePrompts[] = {kStyleOption, kNewStyle, kReplace, kStyleName};

// Where a new linear dimension measures and how it lies.
struct LinearDimension {
  Vec3 origin1;  // world
  Vec3 origin2;
  Vec3 line_point;  // world, anywhere on the dimension line
  double rotation = 0;
  double horizontal = 0;  // group 51
  Vec3 extrusion{0, 0, 1};
};

// The angle of the UCS X axis in the object system of the UCS's own Z axis.
double ucs_angle_in_ocs(const Ucs& ucs) {
  const Axes axes = ocs_axes(ucs.z_axis());
  return std::atan2(dot(ucs.x_axis, axes.y), dot(ucs.x_axis, axes.x));
}

// Asks for the text (Enter keeps the measurement) and adds the dimension with its block.
void add_linear_dimension(Host& host, const LinearDimension& d) {
  Database& db = host.db();
  const std::shared_ptr<const DimStyleValues> values = current_dim_values(db);
  const double measured = linear_measurement(d.origin1, d.origin2, d.rotation, d.extrusion);
  const Answer text = checked(
      host.prompter().get_string(shown(kText, {format_measurement(measured, *values)}), true));

  Record dim = model_entity(db, "DIMENSION");
  // Room for the groups below, the handle and the chain data a module may add.
  dim.groups.reserve(dim.groups.size() + 20);
  dim.groups.push_back(Group::text(2, ""));
  dim.groups.push_back(Group::point(10, d.line_point));
  dim.groups.push_back(Group::point(11, {}));
  dim.groups.push_back(Group::integer(70, kDimensionBlockUsed));
  dim.groups.push_back(Group::integer(71, kMtextMiddleCenter));
  dim.groups.push_back(Group::text(1, text.text));
  dim.groups.push_back(Group::real(42, measured));
  dim.groups.push_back(Group::real(51, d.horizontal));
  static const SysVarInfo& dimstyle = *sysvar_info("DIMSTYLE");
  dim.groups.push_back(Group::text(3, db.get_var(dimstyle).s));
  dim.groups.push_back(Group::point(210, d.extrusion));
  dim.groups.push_back(Group::point(13, d.origin1));
  dim.groups.push_back(Group::point(14, d.origin2));
  dim.groups.push_back(Group::real(50, d.rotation));
  dim.groups.push_back(Group::real(52, 0));
  if (host.faults().fail(FaultKind::kCreation, "DIM1"))
    throw CommandFailed{"\nCannot create the dimension."};
  build_dimension_block(db, dim, *values);
  db.add_entity(std::move(dim));
}

// A point in the current UCS, as world coordinates; nothing on Enter.
std::optional<Vec3> world_point(Host& host, std::string_view prompt) {
  const Answer a = checked(host.prompter().get_point(prompt));
  if (a.status != kRtNorm) return std::nullopt;
  return host.ucs().to_world(a.point);
}

void linear(Host& host, bool vertical) {
  const auto origin1 = world_point(host, shown(kFirstOrigin));
  if (!origin1) return;
  const auto origin2 = world_point(host, shown(kSecondOrigin));
  if (!origin2) return;
  const auto location = world_point(host, shown(kLocation));
  if (!location) return;
  const Ucs& ucs = host.ucs();
  const double x_angle = ucs_angle_in_ocs(ucs);
  LinearDimension d;
  d.origin1 = *origin1;
  d.origin2 = *origin2;
  d.line_point = *location;
  d.rotation = normalize_angle(x_angle + (vertical ? std::numbers::pi / 2 : 0));
  // Turning a world UCS back gives -0, which files would show as "-0".
  d.horizontal = x_angle == 0 ? 0.0 : normalize_angle(-x_angle);
  d.extrusion = ucs.z_axis();
  add_linear_dimension(host, d);
}

// The newest linear dimension of the drawing (rotated or aligned), or kNoRecord.
RecordId last_linear_dimension(const Database& db) {
  const std::vector<RecordId>& list = db.entities();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const Record& rec = db.record(*it);
    if (db.erased(*it) || rec.type != "DIMENSION") continue;
    if (linear_dimension(rec)) return *it;
  }
  return kNoRecord;
}

void continued(Host& host) {
  const RecordId base = last_linear_dimension(host.db());
  if (base == kNoRecord) {
    say(host, "\nNo linear dimension to continue.");
    return;
  }
  const auto origin2 = world_point(host, shown(kSecondOrigin));
  if (!origin2) return;
  const Record& prev = host.db().record(base);
  LinearDimension d;
  d.extrusion = prev.point(210, {0, 0, 1});
  d.origin1 = prev.point(14);
  d.origin2 = *origin2;
  d.line_point = prev.point(10);
  d.horizontal = prev.real(51);
  d.rotation = prev.real(50);
  if (dimension_type(prev) == kAlignedDimension) {
    // An aligned dimension runs along its origins.
    const Vec3 along = world_to_ocs_disp(prev.point(14) - prev.point(13), d.extrusion);
    d.rotation = normalize_angle(std::atan2(along.y, along.x));
  }
  add_linear_dimension(host, d);
}

void list_styles(Host& host) {
  const Database& db = host.db();
  say(host, "\nDimension styles:");
  for (RecordId id : db.table_entries("DIMSTYLE"))
    say(host, "\n  " + std::string(db.record(id).text(2)));
  say(host, "\nCurrent dimension style: " + db.get_var("DIMSTYLE")->s);
}

void save_style(Host& host) {
  const Answer a = checked(host.prompter().get_string(shown(kNewStyle), false));
  if (a.text.empty()) return;
  if (a.text == "?") {
    list_styles(host);
    return;
  }
  if (!valid_table_name(a.text)) {
    say(host, "\nInvalid dimension style name \"" + shown_name(a.text) + "\".");
    return;
  }
  if (host.db().table_entry("DIMSTYLE", a.text) != kNoRecord) {
    say(host, "\nThat name is already in use.");
    host.prompter().init_get(0, "Yes No");
    const Answer yes = checked(host.prompter().get_kword(shown(kReplace)));
    if (yes.status != kRtNorm || yes.text != "Yes") return;
  }
  save_dim_style(host.db(), a.text);
}

void restore_style(Host& host) {
  const Answer a = checked(host.prompter().get_string(shown(kStyleName), false));
  if (a.text.empty()) return;
  if (a.text == "?") {
    list_styles(host);
    return;
  }
  if (!restore_dim_style(host.db(), a.text))
    say(host, "\nNo dimension style named \"" + shown_name(a.text) + "\".");
}

void status(Host& host) {
  const Database& db = host.db();
  say(host, "\nDIMSTYLE  " + db.get_var("DIMSTYLE")->s);
  const std::shared_ptr<const DimStyleValues> values = current_dim_values(db);
  for (const SysVarInfo& info : dim_vars()) {
    const VarValue& v = values->get(info.name);
    std::string shown;
    if (v.type == VarType::kReal)
      shown = format_length(db, v.r);
    else if (v.type == VarType::kString)
      shown = "\"" + v.s + "\"";
    else
      shown = std::to_string(v.i);
    say(host, "\n" + std::string(info.name) + "  " + shown);
  }
}

void dim1_command(Host& host) {
  host.prompter().init_get(0, "HORizontal VERtical CONTinue SAVe REStore STatus EXit");
  const Answer a = checked(host.prompter().get_kword(shown(kDim)));
  if (a.status != kRtNorm) return;
  if (a.text == "HORizontal" || a.text == "VERtical")
    linear(host, a.text == "VERtical");
  else if (a.text == "CONTinue")
    continued(host);
  else if (a.text == "SAVe")
    save_style(host);
  else if (a.text == "REStore")
    restore_style(host);
  else if (a.text == "STatus")
    status(host);
}

void dimstyle_command(Host& host) {
  say(host, "\nCurrent dimension style: " + host.db().get_var("DIMSTYLE")->s);
  host.prompter().init_get(0, "Save Restore STatus ?");
  const Answer a = checked(host.prompter().get_kword(shown(kStyleOption)));
  if (a.status == kRtNone || a.text == "Restore")
    restore_style(host);
  else if (a.text == "Save")
    save_style(host);
  else if (a.text == "STatus")
    status(host);
  else
    list_styles(host);
}

void dimstyles_command(Host& host) { list_styles(host); }

}  // namespace

const Builtin kDim1Command{
    "DIM1", dim1_command,
    "Draws a horizontal, vertical or continued dimension; saves, restores, shows styles.",
    kDim1Prompts};
const Builtin kDimstyleCommand{"-DIMSTYLE", dimstyle_command,
                               "Saves, restores, shows or lists dimension styles.",
                               kDimstylePrompts};
const Builtin kDimstylesCommand{
    "DIMSTYLES", dimstyles_command, "Lists the dimension styles and names the current one.", {}};

}  // namespace cad
