#include "cad/dims/drawing_records.h"

#include "cad/base/text.h"

namespace cad {

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

Record entity_record(std::string type, std::string_view layer, size_t more) {
  Record rec{std::move(type), {}};
  rec.groups.reserve(2 + more);
  // The handle's place, right after the type where every writer puts it: the drawing fills it
  // in as the record enters, instead of moving every group up to make room.
  rec.groups.push_back(Group::text(5, ""));
  rec.groups.push_back(Group::text(8, std::string(layer)));
  return rec;
}

std::string next_anonymous_name(const Database& db, std::string_view prefix) {
  return std::string(prefix) + std::to_string(db.highest_numbered_block(prefix) + 1);
}

size_t add_block_with_record(Database& db, std::string_view name, int flags) {
  if (db.table_index("BLOCK_RECORD") != Database::npos)
    add_table_record(db, "BLOCK_RECORD", {Group::text(2, std::string(name))});
  Record begin = entity_record("BLOCK", "0", 5);
  begin.groups.push_back(Group::text(2, std::string(name)));
  begin.groups.push_back(Group::integer(70, flags));
  begin.groups.push_back(Group::point(10, {}));
  begin.groups.push_back(Group::text(3, std::string(name)));
  begin.groups.push_back(Group::text(1, ""));
  return db.add_block(std::move(begin), entity_record("ENDBLK", "0"));
}

}  // namespace cad
