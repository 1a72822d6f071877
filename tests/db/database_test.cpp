// The drawing database: handles, the undo journal, extended data and system variables.
#include "cad/db/database.h"

#include <gtest/gtest.h>

namespace cad {
namespace {

Record line(Vec3 a, Vec3 b) {
  return Record{"LINE", {Group::text(8, "0"), Group::point(10, a), Group::point(11, b)}};
}

// A drawing's state as comparable values: everything a rollback must give back.
struct Snapshot {
  std::vector<Record> entities;
  std::vector<bool> erased;
  std::vector<HeaderVar> header;
  std::vector<size_t> table_sizes;
  size_t blocks;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const Database& db) {
  Snapshot s;
  for (RecordId id : db.entities()) {
    s.entities.push_back(db.record(id));
    s.erased.push_back(db.erased(id));
  }
  s.header = db.header();
  for (const Table& t : db.tables()) s.table_sizes.push_back(t.entries.size());
  s.blocks = db.blocks().size();
  return s;
}

TEST(Handles, NewRecordsGetUniqueHandlesThatAreNeverReused) {
  Database db;
  RecordId a = db.add_entity(line({0, 0, 0}, {1, 0, 0}));
  uint64_t ha = db.record(a).handle();
  EXPECT_NE(ha, 0u);
  EXPECT_EQ(db.find_handle(handle_text(ha)), a);
  size_t mark = db.journal_size();
  RecordId b = db.add_entity(line({0, 0, 0}, {0, 1, 0}));
  uint64_t hb = db.record(b).handle();
  db.rollback_to(mark);
  EXPECT_EQ(db.find_handle(hb), kNoRecord);
  RecordId c = db.add_entity(line({0, 0, 0}, {0, 2, 0}));
  EXPECT_NE(db.record(c).handle(), hb);
  EXPECT_NE(db.record(c).handle(), ha);
}

TEST(Handles, DuplicateHandleGetsANewOneAndIsReported) {
  Database db;
  Record r = line({0, 0, 0}, {1, 1, 0});
  r.set_handle(0x2A);
  db.add_entity(r);
  uint64_t reported = 0;
  db.set_duplicate_handler([&](const Record&, uint64_t old) { reported = old; });
  RecordId second = db.add_entity(r);
  EXPECT_EQ(reported, 0x2Au);
  EXPECT_NE(db.record(second).handle(), 0x2Au);
  EXPECT_GT(db.handseed(), db.record(second).handle());
}

TEST(Handles, HandleTextIsUpperCaseHex) {
  EXPECT_EQ(handle_text(0xabc12), "ABC12");
  EXPECT_EQ(parse_handle("ff"), 0xFFu);
  EXPECT_EQ(parse_handle("xyz"), 0u);
  EXPECT_EQ(parse_handle(""), 0u);
}

TEST(Journal, RollbackRestoresEntitiesHeaderVariablesAndTablesExactly) {
  Database db;
  size_t layers = db.add_table(Record{"TABLE", {Group::text(2, "LAYER")}});
  db.add_table_entry(layers, Record{"LAYER", {Group::text(2, "0"), Group::integer(70, 0)}});
  RecordId kept = db.add_entity(line({0, 0, 0}, {5, 0, 0}));
  db.set_var("CLAYER", VarValue::text("0"));
  db.set_var("CMDECHO", VarValue::integer(1));
  db.clear_journal();
  Snapshot before = snapshot(db);
  auto cmdecho_before = db.get_var("cmdecho");

  size_t mark = db.journal_size();
  db.add_entity(line({1, 1, 0}, {2, 2, 0}));
  Record changed = db.record(kept);
  changed.set(Group::point(11, {9, 9, 0}));
  db.replace(kept, changed);
  db.set_erased(kept, true);
  db.set_var("CLAYER", VarValue::text("WALLS"));
  db.set_var("CMDECHO", VarValue::integer(0));
  db.add_table_entry(layers, Record{"LAYER", {Group::text(2, "WALLS"), Group::integer(70, 0)}});
  db.add_block(Record{"BLOCK", {Group::text(2, "*U1")}}, Record{"ENDBLK", {}});
  ASSERT_NE(snapshot(db), before);

  db.rollback_to(mark);
  EXPECT_EQ(snapshot(db), before);
  EXPECT_EQ(db.get_var("CMDECHO"), cmdecho_before);
  EXPECT_EQ(db.table_entry("LAYER", "walls"), kNoRecord);
  EXPECT_FALSE(db.erased(kept));
}

TEST(Journal, ReplaceKeepsTheHandle) {
  Database db;
  RecordId id = db.add_entity(line({0, 0, 0}, {1, 0, 0}));
  uint64_t h = db.record(id).handle();
  Record other = line({3, 3, 0}, {4, 4, 0});
  other.set_handle(h + 100);
  db.replace(id, other);
  EXPECT_EQ(db.record(id).handle(), h);
}

TEST(ExtendedData, ReplacingOneApplicationKeepsTheOthers) {
  Record r = line({0, 0, 0}, {1, 0, 0});
  r.set_xdata("OTHER", {Group::text(1000, "keep me"), Group::real(1040, 2.5)});
  r.set_xdata("$1F", {Group::text(1000, "QRM")});
  r.set_xdata("other", {Group::text(1000, "new")});
  ASSERT_EQ(r.xdata("OTHER").size(), 1u);
  EXPECT_EQ(r.xdata("OTHER")[0].s(), "new");
  EXPECT_EQ(r.xdata("$1F")[0].s(), "QRM");
  // The entity's own groups stay before all extended data.
  r.set(Group::text(62, "1"));
  EXPECT_LT(r.index_of(62), r.xdata_begin());
  r.remove_xdata("$1f");
  EXPECT_FALSE(r.has_xdata("$1F"));
  EXPECT_TRUE(r.has_xdata("OTHER"));
}

TEST(SystemVariables, TypesDefaultsAndNamesWithoutRegardToCase) {
  Database db;
  EXPECT_EQ(db.get_var("undoctl")->i, 53);
  EXPECT_FALSE(db.set_var("UNDOCTL", VarValue::integer(5)));  // the host keeps it
  EXPECT_TRUE(db.set_var("UNDOCTL", VarValue::integer(5), true));
  EXPECT_EQ(db.get_var("UndoCtl")->i, 5);
  EXPECT_FALSE(db.set_var("DIMRND", VarValue::text("x")));
  EXPECT_TRUE(db.set_var("dimrnd", VarValue::real(0.5)));
  EXPECT_EQ(db.get_var("DIMRND")->r, 0.5);
  ASSERT_NE(db.header_var("$DIMRND"), nullptr);
  EXPECT_FALSE(db.get_var("NOSUCHVAR").has_value());
  EXPECT_FALSE(db.set_var("NOSUCHVAR", VarValue::integer(1)));
}

TEST(SystemVariables, EveryDimensionVariableHasItsStyleGroupCode) {
  for (const SysVarInfo& info : dim_vars()) {
    EXPECT_NE(info.dimstyle_code, 0) << info.name;
    EXPECT_EQ(std::string_view(info.name).substr(0, 3), "DIM") << info.name;
  }
  EXPECT_EQ(sysvar_info("DIMASO")->dimstyle_code, 0);
  EXPECT_EQ(sysvar_info(dim_vars().back().name)->dimstyle_code, 372);
}

TEST(Tables, EntriesAreFoundWithoutRegardToCaseAndErasedOnesAreNot) {
  Database db;
  size_t t = db.add_table(Record{"TABLE", {Group::text(2, "DIMSTYLE")}});
  RecordId s = db.add_table_entry(t, Record{"DIMSTYLE", {Group::text(2, "Standard")}});
  EXPECT_EQ(db.table_entry("dimstyle", "STANDARD"), s);
  EXPECT_NE(db.record(s).find(105), nullptr);  // dimension styles keep their handle in 105
  db.set_erased(s, true);
  EXPECT_EQ(db.table_entry("DIMSTYLE", "STANDARD"), kNoRecord);
}

}  // namespace
}  // namespace cad

namespace cad {
namespace {

TEST(Journal, ChangesMadeWhileJournalingIsOffCannotBeUndone) {
  Database db;
  db.set_journaling(false);
  RecordId loaded = db.add_entity(line({0, 0, 0}, {1, 0, 0}));
  db.set_journaling(true);
  EXPECT_EQ(db.journal_size(), 0u);
  RecordId made = db.add_entity(line({0, 0, 0}, {2, 0, 0}));
  db.rollback_to(0);
  EXPECT_TRUE(db.valid(loaded));
  EXPECT_FALSE(db.valid(made));
  EXPECT_EQ(db.entities().size(), 1u);
}

}  // namespace
}  // namespace cad
