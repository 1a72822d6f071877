// Dimension variable sets: read from the drawing's variables and from DIMSTYLE entries (as our
// SAVE writes them and as real files leave groups out), and the measurement text they print.
#include "cad/dims/dim_style.h"

#include <gtest/gtest.h>

#include <tuple>

#include "cad/dims/dim_text.h"
#include "cad/dims/drawing_records.h"

namespace cad {
namespace {

RecordId add_style_entry(Database& db, const std::string& name, std::vector<Group> groups) {
  groups.insert(groups.begin(), {Group::text(2, name), Group::integer(70, 0)});
  return add_table_record(db, "DIMSTYLE", std::move(groups));
}

TEST(DimStyleValuesTest, EntryWrittenFromVariablesReadsBackTheSame) {
  Database db;
  add_table_record(db, "STYLE", {Group::text(2, "Narrow")});
  db.set_var("DIMTXT", VarValue::real(3.5));
  db.set_var("DIMTAD", VarValue::integer(4));
  db.set_var("DIMPOST", VarValue::text("<> mm"));
  db.set_var("DIMTXSTY", VarValue::text("Narrow"));
  const DimStyleValues current = DimStyleValues::from_variables(db);
  RecordId id = add_style_entry(db, "MINE", current.entry_groups(db));
  const Record& entry = db.record(id);
  // The text style is kept as the handle of its STYLE entry.
  EXPECT_EQ(entry.text(340), handle_text(db.record(db.table_entry("STYLE", "Narrow")).handle()));
  const DimStyleValues back = DimStyleValues::from_entry(db, entry);
  EXPECT_EQ(back, current);
  EXPECT_EQ(back.text("DIMTXSTY"), "Narrow");
  EXPECT_DOUBLE_EQ(back.real("DIMTXT"), 3.5);
}

TEST(DimStyleValuesTest, GroupsLeftOutOfAnEntryTakeTheObjectDefaults) {
  Database db;
  RecordId id = add_style_entry(db, "Standard", {Group::real(41, 2.5)});
  const DimStyleValues v = DimStyleValues::from_entry(db, db.record(id));
  EXPECT_DOUBLE_EQ(v.real("DIMASZ"), 2.5);
  EXPECT_DOUBLE_EQ(v.real("DIMTXT"), 0.18);
  EXPECT_DOUBLE_EQ(v.real("DIMGAP"), 0.09);
  EXPECT_EQ(v.integer("DIMTAD"), 0);
  EXPECT_EQ(v.integer("DIMDEC"), 4);
  EXPECT_EQ(v.integer("DIMTIH"), 1);
  EXPECT_DOUBLE_EQ(v.real("DIMSCALE"), 1);
}

// A set made without a drawing holds every variable at the host's default, as a new drawing
// that sets none of them.
TEST(DimStyleValuesTest, ANewSetHoldsTheDefaultOfEveryVariable) {
  EXPECT_EQ(DimStyleValues(), DimStyleValues::from_variables(Database()));
  EXPECT_EQ(DimStyleValues().text("DIMTXSTY"), "Standard");
  EXPECT_EQ(DimStyleValues().integer("DIMLWE"), -2);
}

TEST(DimStyleValuesTest, ApplyingToVariablesMakesThemReadBackEqual) {
  Database db;
  DimStyleValues v;
  v.set("DIMASZ", VarValue::real(0.7));
  v.set("DIMSE2", VarValue::integer(1));
  v.apply_to_variables(db);
  EXPECT_EQ(DimStyleValues::from_variables(db), v);
  EXPECT_DOUBLE_EQ(db.get_var("DIMASZ")->r, 0.7);
}

TEST(DimStyleValuesTest, VariableMatchesEntryOnlyWithTheEntrysValue) {
  Database db;
  RecordId id = add_style_entry(db, "S", {Group::real(41, 2.5), Group::integer(77, 1)});
  const Record& entry = db.record(id);
  EXPECT_TRUE(dimvar_matches_entry(db, entry, "DIMASZ", VarValue::real(2.5)));
  EXPECT_FALSE(dimvar_matches_entry(db, entry, "dimasz", VarValue::real(2.6)));
  EXPECT_TRUE(dimvar_matches_entry(db, entry, "DIMTAD", VarValue::integer(1)));
  // Left out of the entry: the object default counts.
  EXPECT_TRUE(dimvar_matches_entry(db, entry, "DIMTXT", VarValue::real(0.18)));
  EXPECT_FALSE(dimvar_matches_entry(db, entry, "CLAYER", VarValue::text("0")));
}

DimStyleValues decimals(int dec, int zin) {
  DimStyleValues v;
  v.set("DIMDEC", VarValue::integer(dec));
  v.set("DIMZIN", VarValue::integer(zin));
  return v;
}

TEST(MeasurementTextTest, DecimalsAndZeroSuppression) {
  // The value, DIMDEC, DIMZIN and the text.
  const std::tuple<double, int, int, const char*> cases[] = {
      {12.5, 2, 0, "12.50"}, {12.5, 2, 8, "12.5"}, {12.0, 2, 8, "12"},  {0.5, 2, 4, ".50"},
      {0.5, 2, 12, ".5"},    {0.0, 2, 12, "0"},    {3.14159, 0, 0, "3"}};
  for (const auto& [value, dec, zin, text] : cases)
    EXPECT_EQ(format_measurement(value, decimals(dec, zin)), text) << value << " " << zin;
}

TEST(MeasurementTextTest, LengthFactorScalesBeforeRounding) {
  DimStyleValues v = decimals(2, 8);
  v.set("DIMLFAC", VarValue::real(100));
  v.set("DIMRND", VarValue::real(5));
  EXPECT_EQ(format_measurement(2.38, v), "240");
  v.set("DIMRND", VarValue::real(0.25));
  v.set("DIMLFAC", VarValue::real(1));
  EXPECT_EQ(format_measurement(2.38, v), "2.5");
}

TEST(MeasurementTextTest, SeparatorAndPostfix) {
  DimStyleValues v = decimals(2, 0);
  v.set("DIMDSEP", VarValue::integer(','));
  EXPECT_EQ(format_measurement(1.25, v), "1,25");
  v.set("DIMPOST", VarValue::text(" mm"));
  EXPECT_EQ(format_measurement(1.25, v), "1,25 mm");
  v.set("DIMPOST", VarValue::text("L=<>m"));
  EXPECT_EQ(format_measurement(1.25, v), "L=1,25m");
}

TEST(MeasurementTextTest, OverrideTextStandsForTheMeasurementWhereItSaysSo) {
  const DimStyleValues v = decimals(2, 0);
  EXPECT_EQ(dimension_text("", 7, v), "7.00");
  EXPECT_EQ(dimension_text("<>", 7, v), "7.00");
  EXPECT_EQ(dimension_text("ca. <> m", 7, v), "ca. 7.00 m");
}

}  // namespace
}  // namespace cad
