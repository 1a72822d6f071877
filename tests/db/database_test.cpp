// The drawing database: handles, the undo journal, extended data and system variables.
#include "cad/db/database.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/snapshot.h"

namespace cad {
namespace {

Record line(Vec3 a, Vec3 b) {
  return Record{"LINE", {Group::text(8, "0"), Group::point(10, a), Group::point(11, b)}};
}

// Texts of every length, kept in the group or beside it, set from elsewhere and from the group's
// own text, which may be freed or overwritten by the setting.
TEST(Groups, TextsOfEveryLengthAreKeptWhereverTheyCameFrom) {
  const std::string source = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (size_t n = 0; n <= source.size(); ++n) {
    const std::string text = source.substr(0, n);
    Group g = Group::real(40, 2.5);
    g.set_s(text);
    EXPECT_EQ(g.s(), text);
    EXPECT_EQ(g.x(), 0);
    Group copy = g;
    g.set_s(g.s().substr(n / 3));
    EXPECT_EQ(g.s(), text.substr(n / 3)) << n;
    EXPECT_EQ(copy.s(), text);
    g.set_s(g.s().substr(0, g.s().size() / 2));
    EXPECT_EQ(g.s(), text.substr(n / 3, (n - n / 3) / 2)) << n;
  }
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
  EXPECT_EQ(handle_text(0), "0");
  EXPECT_EQ(handle_text(0x10), "10");
  EXPECT_EQ(handle_text(UINT64_MAX), "FFFFFFFFFFFFFFFF");
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
  const testing::Snapshot before(db);
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
  ASSERT_NE(before.diff(testing::Snapshot(db)), "");

  db.rollback_to(mark);
  EXPECT_EQ(before.diff(testing::Snapshot(db)), "");
  EXPECT_EQ(db.get_var("CMDECHO"), cmdecho_before);
  EXPECT_EQ(db.table_entry("LAYER", "walls"), kNoRecord);
  EXPECT_FALSE(db.erased(kept));
}

// A table asked for by name is found as soon as it is made, and gone as soon as it is undone,
// however often it was asked for before.
TEST(Journal, TablesComeAndGoForLookupsByNameWithUndoAndRedo) {
  Database db;
  const size_t layers = db.add_table(Record{"TABLE", {Group::text(2, "LAYER")}});
  db.clear_journal();
  EXPECT_EQ(db.table_index("layer"), layers);
  EXPECT_EQ(db.table_index("APPID"), Database::npos);
  const size_t mark = db.journal_size();
  const size_t apps = db.add_table(Record{"TABLE", {Group::text(2, "APPID")}});
  const RecordId acad = db.add_table_entry(apps, Record{"APPID", {Group::text(2, "ACAD")}});
  EXPECT_EQ(db.table_index("APPID"), apps);
  db.undo_to(mark);
  EXPECT_EQ(db.table_index("APPID"), Database::npos);
  EXPECT_EQ(db.table_index("LAYER"), layers);
  ASSERT_TRUE(db.redo());
  EXPECT_EQ(db.table_index("APPID"), apps);
  // What was redone is there again, head and entry alike.
  EXPECT_TRUE(db.valid(db.tables()[apps].head));
  EXPECT_TRUE(db.valid(acad));
  EXPECT_EQ(db.table_entry("APPID", "acad"), acad);
  // A table's head renamed answers to its new name only.
  Record head = db.record(db.tables()[apps].head);
  head.set(Group::text(2, "LTYPE"));
  db.replace(db.tables()[apps].head, head);
  EXPECT_EQ(db.table_index("APPID"), Database::npos);
  EXPECT_EQ(db.table_index("LTYPE"), apps);
}

// DBMOD: a session of steps, each with whether the drawing then differs from the saved one.
TEST(Journal, ChangedSinceSavedFollowsEveryChangeUndoAndTheSavePoint) {
  Database db;
  RecordId kept = db.add_entity(line({0, 0, 0}, {5, 0, 0}));
  db.clear_journal();
  size_t mark = 0;
  struct Step {
    const char* what;
    bool changed;
    std::function<void()> run;
  };
  const Step steps[] = {
      {"a drawing read", false, [] {}},
      {"a session variable set (no part of the file)", false,
       [&] { db.set_var("CMDECHO", VarValue::integer(0)); }},
      {"an entity added", true,
       [&] {
         db.add_entity(line({1, 1, 0}, {2, 2, 0}));
       }},
      {"undone back to the drawing read", false, [&] { db.rollback_to(0); }},
      {"a header variable set", true, [&] { db.set_var("CLAYER", VarValue::text("WALLS")); }},
      {"saved", false, [&] { db.mark_saved(); }},
      {"a mark taken", false, [&] { mark = db.journal_size(); }},
      {"an entity erased", true, [&] { db.set_erased(kept, true); }},
      {"a session variable set after", true, [&] { db.set_var("OSMODE", VarValue::integer(1)); }},
      {"undone back to the save", false, [&] { db.rollback_to(mark); }},
      {"undone past the save", true, [&] { db.rollback_to(0); }},
      {"the undone change made again", true,
       [&] { db.set_var("CLAYER", VarValue::text("WALLS")); }},
      {"saved again", false, [&] { db.mark_saved(); }},
      {"an entity replaced", true,
       [&] {
         Record moved = db.record(kept);
         moved.set(Group::point(11, {9, 9, 0}));
         db.replace(kept, moved);
       }},
      {"a new drawing's journal", false, [&] { db.clear_journal(); }},
  };
  for (const Step& step : steps) {
    step.run();
    EXPECT_EQ(db.modified(), step.changed) << step.what;
  }
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

TEST(Journal, ReplacedRecordKeepsItsHandleAndComesBackExactlyWhicheverGroupsChanged) {
  const Record original{"LINE",
                        {Group::text(8, "WALLS"), Group::integer(62, 3),
                         Group::point(10, {0, 0, 0}), Group::point(11, {1, 0, 0})}};
  auto appended = [](Record r) {
    r.set_xdata("APP", {Group::text(1000, "tag")});
    return r;
  };
  auto middle = [](Record r) {
    r.set(Group::integer(62, 5));
    return r;
  };
  auto shorter = [](Record r) {
    r.groups.resize(2);
    return r;
  };
  // Another record, with a handle of its own: the replaced one keeps its handle.
  auto other = [](Record) {
    Record r{"LINE", {Group::point(10, {7, 7, 0})}};
    r.set_handle(0x7F);
    return r;
  };
  for (const Record& changed :
       {appended(original), middle(original), shorter(original), other(original)}) {
    Database db;
    const RecordId id = db.add_entity(appended(original));
    const Record before = db.record(id);
    const size_t mark = db.journal_size();
    db.replace(id, changed);
    EXPECT_EQ(db.record(id).handle(), before.handle());
    db.replace(id, middle(db.record(id)));
    db.rollback_to(mark);
    EXPECT_EQ(db.record(id), before);
  }
}

TEST(Handles, HandlesFarBeyondTheOthersAreFoundAndFreedAlike) {
  Database db;
  Record far = line({0, 0, 0}, {1, 0, 0});
  far.set_handle(0x7FFFFFFF0000);
  const RecordId near_id = db.add_entity(line({0, 0, 0}, {2, 0, 0}));
  const size_t mark = db.journal_size();
  const RecordId far_id = db.add_entity(far);
  const RecordId after = db.add_entity(line({0, 0, 0}, {3, 0, 0}));
  EXPECT_EQ(db.find_handle(0x7FFFFFFF0000), far_id);
  EXPECT_EQ(db.find_handle(db.record(near_id).handle()), near_id);
  EXPECT_EQ(db.record(after).handle(), 0x7FFFFFFF0001u);
  EXPECT_EQ(db.find_handle(0x7FFFFFFF0001), after);
  db.rollback_to(mark);
  EXPECT_EQ(db.find_handle(0x7FFFFFFF0000), kNoRecord);
  EXPECT_EQ(db.find_handle(0x7FFFFFFF0001), kNoRecord);
  EXPECT_EQ(db.find_handle(db.record(near_id).handle()), near_id);
}

TEST(SystemVariables, VariablesStayFoundWhenOneBeforeThemIsRemovedAndPutBack) {
  Database db;
  db.set_header_var("$EXTRA", {Group::text(1, "x")});
  ASSERT_TRUE(db.set_var("DIMSCALE", VarValue::real(2.5)));
  ASSERT_TRUE(db.set_var("DIMRND", VarValue::real(0.5)));
  const size_t mark = db.journal_size();
  db.remove_header_var("$extra");
  EXPECT_EQ(db.header_var("$EXTRA"), nullptr);
  EXPECT_EQ(db.get_var("DIMSCALE")->r, 2.5);
  EXPECT_EQ(db.get_var(*sysvar_info("DIMRND")).r, 0.5);
  db.rollback_to(mark);
  ASSERT_NE(db.header_var("$Extra"), nullptr);
  EXPECT_EQ(db.header_var("$EXTRA")->groups[0].s(), "x");
  EXPECT_EQ(db.get_var("DIMSCALE")->r, 2.5);
  EXPECT_EQ(db.get_var(*sysvar_info("DIMRND")).r, 0.5);
}

// Erased entries and blocks are found by no name.
TEST(Indexes, EntriesAndBlocksAreFoundByNameThroughRenamesAndUndo) {
  Database db;
  const size_t layers = db.add_table(Record{"TABLE", {Group::text(2, "LAYER")}});
  const RecordId walls = db.add_table_entry(layers, Record{"LAYER", {Group::text(2, "Walls")}});
  const size_t door = db.add_block(Record{"BLOCK", {Group::text(2, "Door")}}, Record{"ENDBLK", {}});
  const size_t mark = db.journal_size();
  db.replace(walls, Record{"LAYER", {Group::text(2, "Outer")}});
  const size_t window =
      db.add_block(Record{"BLOCK", {Group::text(2, "Window")}}, Record{"ENDBLK", {}});
  EXPECT_EQ(db.table_entry("LAYER", "walls"), kNoRecord);
  EXPECT_EQ(db.table_entry("LAYER", "OUTER"), walls);
  EXPECT_EQ(db.block_index("WINDOW"), window);
  db.rollback_to(mark);
  EXPECT_EQ(db.table_entry("layer", "WALLS"), walls);
  EXPECT_EQ(db.table_entry("LAYER", "Outer"), kNoRecord);
  EXPECT_EQ(db.block_index("door"), door);
  EXPECT_EQ(db.block_index("Window"), Database::npos);
  db.set_erased(db.blocks()[door].begin, true);
  EXPECT_EQ(db.block_index("Door"), Database::npos);
  db.set_erased(walls, true);
  EXPECT_EQ(db.table_entry("LAYER", "walls"), kNoRecord);
}

TEST(Indexes, HighestNumberOfBlockNamesFollowsAddsRenamesAndUndo) {
  Database db;
  const size_t records = db.add_table(Record{"TABLE", {Group::text(2, "BLOCK_RECORD")}});
  auto block = [&](const std::string& name) {
    return db.add_block(Record{"BLOCK", {Group::text(2, name)}}, Record{"ENDBLK", {}});
  };
  for (const char* name : {"*D1", "*d7", "*U3", "*D7A", "*D", "*DX12", "*D99999999999999999999"})
    block(name);
  EXPECT_EQ(db.highest_numbered_block("*D"), 7);
  EXPECT_EQ(db.highest_numbered_block("*u"), 3);
  EXPECT_EQ(db.highest_numbered_block("*X"), 0);
  const size_t mark = db.journal_size();
  db.add_table_entry(records, Record{"BLOCK_RECORD", {Group::text(2, "*D9")}});
  EXPECT_EQ(db.highest_numbered_block("*D"), 9);
  db.rollback_to(mark);
  EXPECT_EQ(db.highest_numbered_block("*D"), 7);
  db.replace(db.blocks()[1].begin, Record{"BLOCK", {Group::text(2, "Seven")}});
  EXPECT_EQ(db.highest_numbered_block("*D"), 1);
  db.rollback_to(mark);
  EXPECT_EQ(db.highest_numbered_block("*D"), 7);
}

TEST(Indexes, EntitiesAreListedUnderTheApplicationsOfTheirExtendedData) {
  Database db;
  Record tagged = line({0, 0, 0}, {1, 0, 0});
  tagged.set_xdata("APP1", {Group::text(1000, "a")});
  const RecordId a = db.add_entity(tagged);
  tagged.set_xdata("app2", {Group::text(1000, "b")});
  const size_t mark = db.journal_size();
  const RecordId b = db.add_entity(tagged);
  db.add_entity(line({0, 0, 0}, {2, 0, 0}));
  const size_t block = db.add_block(Record{"BLOCK", {Group::text(2, "B")}}, Record{"ENDBLK", {}});
  db.add_block_entity(block, tagged);
  auto under = [&](std::string_view app) {
    const auto ids = db.xdata_apps().find(app);
    return std::vector<RecordId>(ids.begin(), ids.end());
  };
  EXPECT_EQ(under("app1"), (std::vector<RecordId>{a, b}));
  EXPECT_EQ(under("APP2"), (std::vector<RecordId>{b}));
  Record untagged = db.record(b);
  untagged.remove_xdata("APP1");
  db.replace(b, untagged);
  EXPECT_EQ(under("APP1"), (std::vector<RecordId>{a}));
  db.rollback_to(mark);
  EXPECT_EQ(under("APP1"), (std::vector<RecordId>{a}));
  EXPECT_TRUE(under("APP2").empty());
}

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
