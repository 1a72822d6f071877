#include "cad/dxf/new_drawing.h"

#include <array>
#include <string_view>
#include <utility>

#include "cad/db/sysvars.h"
#include "cad/dxf/complete.h"

namespace cad {

namespace {

// Dimension variables of STANDARD that differ from the host's defaults. Dimension lines stand
// 0.2 m from what they measure: text 8 cm high sits 2 cm above the line between ticks of 5 cm.
// Measurements are rounded to the millimetre, the finest digit an architect's dimension shows
// (the raised one), so that a point a hair off the grid does not print as 1.28⁹⁹⁹².
struct DimSetting {
  std::string_view name;
  double value;
};

constexpr std::array<DimSetting, 17> kStandardStyle = {{
    {"DIMSCALE", 1},
    {"DIMRND", 0.001},
    {"DIMASZ", 0.05},
    {"DIMTSZ", 0.05},
    {"DIMTXT", 0.08},
    {"DIMGAP", 0.02},
    {"DIMEXO", 0.02},
    {"DIMEXE", 0.05},
    {"DIMDLE", 0.05},
    {"DIMDLI", 0.2},
    {"DIMCEN", 0.05},
    {"DIMTAD", 1},
    {"DIMTIH", 0},
    {"DIMTOH", 0},
    {"DIMDEC", 2},
    {"DIMZIN", 8},
    {"DIMDSEP", '.'},
}};

VarValue standard_value(const SysVarInfo& info) {
  VarValue value = sysvar_default(info);
  for (const DimSetting& s : kStandardStyle) {
    if (s.name != info.name) continue;
    if (info.type == VarType::kReal)
      value.r = s.value;
    else
      value.i = static_cast<int64_t>(s.value);
  }
  return value;
}

Group group_of(int code, const VarValue& value) {
  switch (value.type) {
    case VarType::kReal:
      return Group::real(code, value.r);
    case VarType::kString:
      return Group::text(code, value.s);
    case VarType::kPoint:
      return Group::point(code, value.p);
    case VarType::kShort:
    case VarType::kLong:
      break;
  }
  return Group::integer(code, value.i);
}

Record record(std::string_view type, std::vector<Group> groups) {
  Record rec;
  rec.type = std::string(type);
  rec.groups = std::move(groups);
  return rec;
}

}  // namespace

std::unique_ptr<Database> new_drawing() {
  auto db = std::make_unique<Database>();
  const std::pair<std::string_view, VarValue> header[] = {
      {"ACADVER", VarValue::text("AC1027")}, {"DWGCODEPAGE", VarValue::text("ANSI_1252")},
      {"INSUNITS", VarValue::integer(6)},    {"MEASUREMENT", VarValue::integer(1)},
      {"LUNITS", VarValue::integer(2)},      {"LUPREC", VarValue::integer(3)},
      {"CLAYER", VarValue::text("0")},       {"CELTYPE", VarValue::text("ByLayer")},
      {"CECOLOR", VarValue::integer(256)},   {"TEXTSTYLE", VarValue::text("Standard")},
      {"TEXTSIZE", VarValue::real(0.1)},     {"DIMSTYLE", VarValue::text("STANDARD")},
      {"DIMASO", VarValue::integer(1)},      {"DIMSHO", VarValue::integer(1)},
  };
  for (const auto& [name, value] : header) db->set_var(name, value, true);
  for (const SysVarInfo& info : dim_vars()) db->set_var(info.name, standard_value(info), true);

  std::array<size_t, 9> tables{};
  constexpr std::array<std::string_view, 9> kNames = {
      "VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"};
  for (size_t k = 0; k < kNames.size(); ++k) {
    tables[k] = db->add_table(
        record("TABLE", {Group::text(2, std::string(kNames[k])),
                         Group::text(5, handle_text(db->take_handle())), Group::integer(70, 0)}));
  }
  const size_t layer = tables[2];
  const size_t style = tables[3];
  const size_t dimstyle = tables[7];
  db->add_table_entry(
      layer, record("LAYER", {Group::text(2, "0"), Group::integer(70, 0), Group::integer(62, 7),
                              Group::text(6, "Continuous")}));
  // Definition points of dimensions live here; the layer is never plotted.
  db->add_table_entry(layer, record("LAYER", {Group::text(2, "DEFPOINTS"), Group::integer(70, 0),
                                              Group::integer(62, 7), Group::text(6, "Continuous"),
                                              Group::integer(290, 0)}));
  RecordId standard = db->add_table_entry(
      style, record("STYLE", {Group::text(2, "Standard"), Group::integer(70, 0), Group::real(40, 0),
                              Group::real(41, 1), Group::real(50, 0), Group::integer(71, 0),
                              Group::real(42, 0.1), Group::text(3, "txt"), Group::text(4, "")}));

  Record dim = record("DIMSTYLE", {Group::text(2, "STANDARD"), Group::integer(70, 0)});
  for (const SysVarInfo& info : dim_vars()) {
    VarValue value = standard_value(info);
    if (info.dimstyle_code == 340) {
      dim.groups.push_back(Group::text(340, handle_text(db->record(standard).handle())));
    } else if (info.type != VarType::kString || !value.s.empty()) {
      // Arrow blocks (341-344) are named by handle; empty names mean the default arrow.
      if (info.dimstyle_code < 341 || info.dimstyle_code > 344)
        dim.groups.push_back(group_of(info.dimstyle_code, value));
    }
  }
  db->add_table_entry(dimstyle, std::move(dim));

  complete_drawing(*db);
  for (const Table& table : db->tables()) {
    Record head = db->record(table.head);
    head.set(Group::integer(70, static_cast<int64_t>(table.entries.size())));
    db->replace(table.head, std::move(head));
  }
  db->clear_journal();
  return db;
}

}  // namespace cad
