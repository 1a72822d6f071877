#include "cad/dims/style_table.h"

#include <algorithm>
#include <string>

#include "cad/base/text.h"
#include "cad/dims/dim_arrows.h"
#include "cad/dims/drawing_records.h"

namespace cad {

namespace {

bool is_dim_var_code(int code) {
  std::span<const SysVarInfo> vars = dim_vars();
  return std::any_of(vars.begin(), vars.end(),
                     [code](const SysVarInfo& v) { return v.dimstyle_code == code; });
}

void set_current_name(Database& db, std::string_view name) {
  if (std::optional<VarValue> now = db.get_var("DIMSTYLE"); now && now->s == name) return;
  db.set_var("DIMSTYLE", VarValue::text(std::string(name)), true);
}

}  // namespace

RecordId current_style_entry(const Database& db) {
  std::optional<VarValue> name = db.get_var("DIMSTYLE");
  if (!name || iequals(name->s, kUnnamedStyle)) return kNoRecord;
  return db.table_entry("DIMSTYLE", name->s);
}

std::shared_ptr<const DimStyleValues> current_dim_values(const Database& db) {
  struct Kept {
    int64_t serial = 0;
    uint64_t var_changes = 0;
    std::shared_ptr<const DimStyleValues> values;
  };
  static Kept kept;
  if (!kept.values || kept.serial != db.serial() || kept.var_changes != db.var_changes()) {
    kept.values = std::make_shared<const DimStyleValues>(DimStyleValues::from_variables(db));
    kept.serial = db.serial();
    kept.var_changes = db.var_changes();
  }
  return kept.values;
}

DimStyleValues dimension_style(const Database& db, const Record& dimension) {
  const RecordId entry = db.table_entry("DIMSTYLE", dimension.text(3));
  return entry == kNoRecord ? *current_dim_values(db)
                            : DimStyleValues::from_entry(db, db.record(entry));
}

RecordId save_dim_style(Database& db, std::string_view name) {
  std::vector<Group> values = current_dim_values(db)->entry_groups(db);
  RecordId id = db.table_entry("DIMSTYLE", name);
  if (id == kNoRecord) {
    values.insert(values.begin(), {Group::text(2, std::string(name)), Group::integer(70, 0)});
    id = add_table_record(db, "DIMSTYLE", std::move(values));
  } else {
    Record entry = db.record(id);
    const size_t xdata = entry.xdata_begin();
    std::vector<Group> kept;
    for (size_t k = 0; k < xdata; ++k)
      if (!is_dim_var_code(entry.groups[k].code)) kept.push_back(entry.groups[k]);
    kept.insert(kept.end(), values.begin(), values.end());
    kept.insert(kept.end(), entry.groups.begin() + static_cast<std::ptrdiff_t>(xdata),
                entry.groups.end());
    entry.groups = std::move(kept);
    if (entry != db.record(id)) db.replace(id, std::move(entry));
  }
  set_current_name(db, db.record(id).text(2));
  return id;
}

bool restore_dim_style(Database& db, std::string_view name) {
  RecordId id = db.table_entry("DIMSTYLE", name);
  if (id == kNoRecord) return false;
  DimStyleValues::from_entry(db, db.record(id)).apply_to_variables(db);
  set_current_name(db, db.record(id).text(2));
  return true;
}

bool note_dim_var_set(Database& db, std::string_view name) {
  const SysVarInfo* info = sysvar_info(name);
  if (!info || info->dimstyle_code == 0) return false;
  // The arrowhead variables are kept in a style as handles of blocks.
  if (info->dimstyle_code >= 341 && info->dimstyle_code <= 344) {
    if (std::optional<VarValue> block = db.get_var(name)) arrowhead(db, block->s);
  }
  RecordId entry = current_style_entry(db);
  if (entry == kNoRecord) return false;
  std::optional<VarValue> value = db.get_var(name);
  if (!value || dimvar_matches_entry(db, db.record(entry), name, *value)) return false;
  set_current_name(db, kUnnamedStyle);
  return true;
}

}  // namespace cad
