#include "cad/dims/dim_style.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>

#include "cad/base/text.h"

namespace cad {

namespace {

// Where a dimension style keeps a named object as a handle, and which table names it.
const char* handle_table(int dimstyle_code) {
  if (dimstyle_code == 340) return "STYLE";
  if (dimstyle_code >= 341 && dimstyle_code <= 344) return "BLOCK_RECORD";
  return nullptr;
}

size_t var_index(std::string_view name) {
  // Dimension variables lead the table of variables.
  std::span<const SysVarInfo> vars = dim_vars();
  const SysVarInfo* info = sysvar_info(name);
  if (info == nullptr || info < vars.data() || info >= vars.data() + vars.size())
    return vars.size();
  return static_cast<size_t>(info - vars.data());
}

// The values a DIMSTYLE object starts with where they differ from the host's variable defaults.
struct EntryDefault {
  const char* name;
  double real;
  int64_t integer;
};
constexpr EntryDefault kEntryDefaults[] = {
    {"DIMASZ", 0.18, 0}, {"DIMEXO", 0.0625, 0}, {"DIMDLI", 0.38, 0}, {"DIMEXE", 0.18, 0},
    {"DIMTXT", 0.18, 0}, {"DIMCEN", 0.09, 0},   {"DIMGAP", 0.09, 0}, {"DIMALTF", 25.4, 0},
    {"DIMTIH", 0, 1},    {"DIMTOH", 0, 1},      {"DIMTAD", 0, 0},    {"DIMZIN", 0, 0},
    {"DIMALTD", 0, 2},   {"DIMTOFL", 0, 0},     {"DIMDEC", 0, 4},    {"DIMTDEC", 0, 4},
    {"DIMALTTD", 0, 2},  {"DIMTZIN", 0, 0},
};

VarValue entry_default(const SysVarInfo& info) {
  VarValue value = sysvar_default(info);
  for (const EntryDefault& d : kEntryDefaults) {
    if (!iequals(d.name, info.name)) continue;
    if (info.type == VarType::kReal)
      value.r = d.real;
    else
      value.i = d.integer;
  }
  return value;
}

// The value of one variable held in an entry's group; a group that points at a table entry
// gives the entry's name.
VarValue entry_value(const Database& db, const Group& g, const SysVarInfo& info) {
  if (info.type != VarType::kString || !handle_table(info.dimstyle_code))
    return var_value(g, info.type);
  RecordId id = db.find_handle(g.s());
  return VarValue::text(id == kNoRecord ? std::string() : std::string(db.record(id).text(2)));
}

// The value of one variable in an entry (its default when the entry leaves it out).
VarValue entry_value(const Database& db, const Record& entry, const SysVarInfo& info) {
  const Group* g = entry.find(info.dimstyle_code);
  return g ? entry_value(db, *g, info) : entry_default(info);
}

// Which dimension variable an entry's group code holds, by code; kDimVarCount for none. Codes of
// the entry go up to 372.
constexpr size_t kEntryCodes = 400;
const std::array<uint8_t, kEntryCodes>& var_by_entry_code() {
  static_assert(kDimVarCount < 255);
  static const std::array<uint8_t, kEntryCodes> table = [] {
    std::array<uint8_t, kEntryCodes> out;
    out.fill(kDimVarCount);
    std::span<const SysVarInfo> vars = dim_vars();
    for (size_t k = vars.size(); k > 0; --k) {
      const int code = vars[k - 1].dimstyle_code;
      assert(code > 0 && code < static_cast<int>(kEntryCodes));
      out[static_cast<size_t>(code)] = static_cast<uint8_t>(k - 1);
    }
    return out;
  }();
  return table;
}

// What an entry that leaves every variable out holds, in the order of dim_vars().
const std::array<VarValue, kDimVarCount>& entry_defaults() {
  static const std::array<VarValue, kDimVarCount> defaults = [] {
    std::array<VarValue, kDimVarCount> out;
    std::span<const SysVarInfo> vars = dim_vars();
    for (size_t k = 0; k < vars.size(); ++k) out[k] = entry_default(vars[k]);
    return out;
  }();
  return defaults;
}

bool values_equal(const VarValue& a, const VarValue& b) {
  switch (a.type) {
    case VarType::kReal:
      // Reals come back from files printed with 16 digits or fewer.
      return std::abs(a.r - b.r) <= 1e-12 * std::max(1.0, std::abs(a.r));
    case VarType::kString:
      return iequals(a.s, b.s);
    case VarType::kPoint:
      return a.p == b.p;
    case VarType::kShort:
    case VarType::kLong:
      break;
  }
  return a.i == b.i;
}

}  // namespace

DimStyleValues::DimStyleValues() {
  std::span<const SysVarInfo> vars = dim_vars();
  for (size_t k = 0; k < vars.size(); ++k) values_[k] = sysvar_default(vars[k]);
}

DimStyleValues DimStyleValues::from_variables(const Database& db) {
  DimStyleValues out(Unfilled{});
  std::span<const SysVarInfo> vars = dim_vars();
  for (size_t k = 0; k < vars.size(); ++k) out.values_[k] = db.get_var(vars[k]);
  return out;
}

DimStyleValues DimStyleValues::from_entry(const Database& db, const Record& entry) {
  DimStyleValues out(Unfilled{});
  // One walk over the entry's groups, the first group of each variable's code counting.
  std::array<bool, kDimVarCount> found{};
  const std::array<uint8_t, kEntryCodes>& var_of = var_by_entry_code();
  std::span<const SysVarInfo> vars = dim_vars();
  for (const Group& g : entry.groups) {
    if (g.code <= 0 || g.code >= static_cast<int>(kEntryCodes)) continue;
    const size_t var = var_of[static_cast<size_t>(g.code)];
    if (var == kDimVarCount || found[var]) continue;
    found[var] = true;
    out.values_[var] = entry_value(db, g, vars[var]);
  }
  const std::array<VarValue, kDimVarCount>& defaults = entry_defaults();
  for (size_t k = 0; k < vars.size(); ++k)
    if (!found[k]) out.values_[k] = defaults[k];
  return out;
}

void DimStyleValues::apply_to_variables(Database& db) const {
  std::span<const SysVarInfo> vars = dim_vars();
  for (size_t k = 0; k < vars.size(); ++k) {
    if (db.get_var(vars[k]) != values_[k]) db.set_var(vars[k].name, values_[k]);
  }
}

std::vector<Group> DimStyleValues::entry_groups(const Database& db) const {
  std::vector<Group> out;
  std::span<const SysVarInfo> vars = dim_vars();
  for (size_t k = 0; k < vars.size(); ++k) {
    const int code = vars[k].dimstyle_code;
    const VarValue& v = values_[k];
    switch (v.type) {
      case VarType::kReal:
        out.push_back(Group::real(code, v.r));
        break;
      case VarType::kString: {
        const char* table = handle_table(code);
        if (!table) {
          out.push_back(Group::text(code, v.s));
          break;
        }
        RecordId id = v.s.empty() ? kNoRecord : db.table_entry(table, v.s);
        if (id != kNoRecord) out.push_back(Group::text(code, handle_text(db.record(id).handle())));
        break;
      }
      case VarType::kPoint:
        out.push_back(Group::point(code, v.p));
        break;
      case VarType::kShort:
      case VarType::kLong:
        out.push_back(Group::integer(code, v.i));
        break;
    }
  }
  return out;
}

void DimStyleValues::apply_overrides(const Database& db, const Record& dimension) {
  const std::vector<Group>& groups = dimension.groups;
  size_t k = dimension.xdata_begin();
  while (k < groups.size() && !(groups[k].code == 1001 && iequals(groups[k].s(), "ACAD"))) ++k;
  // Past "DSTYLE" and its opening brace.
  ++k;
  while (k < groups.size() && groups[k].code != 1001 &&
         !(groups[k].code == 1000 && iequals(groups[k].s(), "DSTYLE")))
    ++k;
  if (k + 1 >= groups.size() || groups[k].code != 1000 || groups[k + 1].code != 1002) return;
  k += 2;
  const std::array<uint8_t, kEntryCodes>& var_of = var_by_entry_code();
  std::span<const SysVarInfo> vars = dim_vars();
  for (; k + 1 < groups.size() && groups[k].code == 1070; k += 2) {
    const int64_t code = groups[k].i();
    const Group& value = groups[k + 1];
    if (code <= 0 || code >= static_cast<int64_t>(kEntryCodes)) continue;
    const size_t var = var_of[static_cast<size_t>(code)];
    if (var == kDimVarCount) continue;
    const SysVarInfo& info = vars[var];
    switch (info.type) {
      case VarType::kReal:
        if (value.code == 1040) values_[var].r = value.x();
        break;
      case VarType::kShort:
      case VarType::kLong:
        if (value.code == 1070 || value.code == 1071) values_[var].i = value.i();
        break;
      case VarType::kString:
        if (value.code == 1000) {
          values_[var].s = std::string(value.s());
        } else if (value.code == 1005 && handle_table(info.dimstyle_code)) {
          const RecordId id = db.find_handle(value.s());
          values_[var].s = id == kNoRecord ? std::string() : std::string(db.record(id).text(2));
        }
        break;
      case VarType::kPoint:
        break;
    }
  }
}

size_t DimStyleValues::index_of(std::string_view name) {
  const size_t k = var_index(name);
  assert(k < kDimVarCount);
  return k;
}

const VarValue& DimStyleValues::get(std::string_view name) const {
  size_t k = var_index(name);
  assert(k < values_.size());
  return values_[k];
}

void DimStyleValues::set(std::string_view name, const VarValue& value) {
  size_t k = var_index(name);
  assert(k < values_.size());
  VarType type = values_[k].type;
  values_[k] = value;
  values_[k].type = type;
}

bool DimStyleValues::operator==(const DimStyleValues& other) const {
  for (size_t k = 0; k < values_.size(); ++k)
    if (!values_equal(values_[k], other.values_[k])) return false;
  return true;
}

bool dimvar_matches_entry(const Database& db, const Record& entry, std::string_view name,
                          const VarValue& value) {
  const SysVarInfo* info = sysvar_info(name);
  if (!info || info->dimstyle_code == 0) return false;
  VarValue stored = entry_value(db, entry, *info);
  VarValue given = value;
  given.type = info->type;
  return values_equal(stored, given);
}

}  // namespace cad
