#include "cad/dims/drawing_records.h"

#include <algorithm>
#include <charconv>

namespace cad {

namespace {

// The number after prefix when name is prefix followed by digits only, else 0.
long anonymous_number(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || !iequals(name.substr(0, prefix.size()), prefix)) return 0;
  std::string_view digits = name.substr(prefix.size());
  long value = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return 0;
  return value;
}

}  // namespace

size_t ensure_table(Database& db, std::string_view table) {
  size_t index = db.table_index(table);
  if (index != Database::npos) return index;
  return db.add_table(Record{"TABLE", {Group::text(2, std::string(table))}});
}

RecordId add_table_record(Database& db, std::string_view table, std::vector<Group> groups) {
  size_t index = ensure_table(db, table);
  return db.add_table_entry(index, Record{std::string(table), std::move(groups)});
}

RecordId ensure_layer(Database& db, std::string_view name, int color) {
  RecordId id = db.table_entry("LAYER", name);
  if (id != kNoRecord) return id;
  std::vector<Group> groups = {Group::text(2, std::string(name)), Group::integer(70, 0),
                               Group::integer(62, color), Group::text(6, "Continuous")};
  // Definition points mark where a dimension measures; they are not meant for paper.
  if (iequals(name, "Defpoints")) groups.push_back(Group::integer(290, 0));
  return add_table_record(db, "LAYER", std::move(groups));
}

Record entity_record(std::string type, std::string_view layer) {
  return Record{std::move(type), {Group::text(8, std::string(layer))}};
}

std::string next_anonymous_name(const Database& db, std::string_view prefix) {
  long highest = 0;
  for (const Block& block : db.blocks()) {
    if (db.valid(block.begin))
      highest = std::max(highest, anonymous_number(db.record(block.begin).text(2), prefix));
  }
  size_t records = db.table_index("BLOCK_RECORD");
  if (records != Database::npos) {
    for (RecordId id : db.tables()[records].entries)
      if (db.valid(id))
        highest = std::max(highest, anonymous_number(db.record(id).text(2), prefix));
  }
  return std::string(prefix) + std::to_string(highest + 1);
}

size_t add_block_with_record(Database& db, std::string_view name, int flags) {
  if (db.table_index("BLOCK_RECORD") != Database::npos)
    add_table_record(db, "BLOCK_RECORD", {Group::text(2, std::string(name))});
  Record begin = entity_record("BLOCK", "0");
  begin.groups.push_back(Group::text(2, std::string(name)));
  begin.groups.push_back(Group::integer(70, flags));
  begin.groups.push_back(Group::point(10, {}));
  begin.groups.push_back(Group::text(3, std::string(name)));
  begin.groups.push_back(Group::text(1, ""));
  return db.add_block(std::move(begin), entity_record("ENDBLK", "0"));
}

}  // namespace cad
