// Saving and restoring dimension styles, and the "*UNNAMED" rule for changed dimension variables.
#include "cad/dims/style_table.h"

#include <gtest/gtest.h>

namespace cad {
namespace {

std::string current_name(const Database& db) { return db.get_var("DIMSTYLE")->s; }

TEST(StyleTableTest, SaveMakesAnEntryOfTheVariablesAndMakesItCurrent) {
  Database db;
  db.set_var("DIMASZ", VarValue::real(4));
  RecordId id = save_dim_style(db, "Plan");
  EXPECT_EQ(db.table_entry("DIMSTYLE", "PLAN"), id);
  EXPECT_EQ(current_name(db), "Plan");
  EXPECT_EQ(DimStyleValues::from_entry(db, db.record(id)), *current_dim_values(db));
  EXPECT_DOUBLE_EQ(db.record(id).real(41), 4);
}

// The current values are kept between dimensions; every way a variable changes shows in them,
// and one drawing's values are never another's.
TEST(StyleTableTest, CurrentValuesFollowEveryChangeOfTheVariables) {
  Database db;
  auto text_height = [&] { return current_dim_values(db)->real("DIMTXT"); };
  const double fresh = text_height();
  db.set_var("DIMTXT", VarValue::real(5));
  const double first = text_height();
  EXPECT_DOUBLE_EQ(first, 5);
  const size_t mark = db.journal_size();
  db.set_var("DIMTXT", VarValue::real(7));
  EXPECT_DOUBLE_EQ(text_height(), 7);
  db.undo_to(mark);
  EXPECT_DOUBLE_EQ(text_height(), first);
  ASSERT_TRUE(db.redo());
  EXPECT_DOUBLE_EQ(text_height(), 7);
  db.rollback_to(mark);
  EXPECT_DOUBLE_EQ(text_height(), first);
  db.set_header_var("$DIMTXT", {Group::real(40, 3)});
  EXPECT_DOUBLE_EQ(text_height(), 3);
  db.remove_header_var("$DIMTXT");
  EXPECT_DOUBLE_EQ(text_height(), fresh);
  Database other;
  other.set_var("DIMTXT", VarValue::real(9));
  EXPECT_DOUBLE_EQ(current_dim_values(other)->real("DIMTXT"), 9);
  db.set_var("DIMTXT", VarValue::real(5));
  EXPECT_DOUBLE_EQ(text_height(), first);
}

TEST(StyleTableTest, SavingAgainRedefinesTheSameEntry) {
  Database db;
  RecordId id = save_dim_style(db, "Plan");
  Record with_xdata = db.record(id);
  with_xdata.set_xdata("KEEP", {Group::text(1000, "me")});
  db.replace(id, with_xdata);
  const uint64_t handle = db.record(id).handle();

  db.set_var("DIMTXT", VarValue::real(7));
  EXPECT_EQ(save_dim_style(db, "PLAN"), id);
  const Record& entry = db.record(id);
  EXPECT_EQ(entry.handle(), handle);
  EXPECT_EQ(entry.text(2), "Plan");
  EXPECT_DOUBLE_EQ(entry.real(140), 7);
  EXPECT_EQ(entry.xdata("KEEP").size(), 1u);
  // Each variable once, not the old value beside the new one.
  EXPECT_EQ(entry.index_of(140, entry.index_of(140) + 1), entry.groups.size());
  EXPECT_EQ(current_name(db), "Plan");
}

TEST(StyleTableTest, ChangedDimensionVariableLeavesTheStyleUnnamedUntilOneIsRestored) {
  Database db;
  save_dim_style(db, "Plan");
  db.set_var("DIMASZ", db.get_var("DIMASZ").value());
  EXPECT_FALSE(note_dim_var_set(db, "DIMASZ"));
  EXPECT_EQ(current_name(db), "Plan");

  db.set_var("CLAYER", VarValue::text("WALLS"));
  EXPECT_FALSE(note_dim_var_set(db, "CLAYER"));

  db.set_var("DIMASZ", VarValue::real(9));
  EXPECT_TRUE(note_dim_var_set(db, "dimasz"));
  EXPECT_EQ(current_name(db), "*UNNAMED");
  EXPECT_EQ(current_style_entry(db), kNoRecord);

  // Restoring takes the named entry's values and spelling, not the newest entry's; a name no
  // entry has restores nothing.
  save_dim_style(db, "Big");
  EXPECT_TRUE(restore_dim_style(db, "plan"));
  EXPECT_EQ(current_name(db), "Plan");
  EXPECT_DOUBLE_EQ(db.get_var("DIMASZ")->r, 2.5);
  EXPECT_FALSE(restore_dim_style(db, "Missing"));
  EXPECT_EQ(current_name(db), "Plan");
  EXPECT_DOUBLE_EQ(db.get_var("DIMASZ")->r, 2.5);
}

}  // namespace
}  // namespace cad
