// The new-drawing template: metres, the STANDARD dimension style with architectural ticks and the
// header's dimension variables equal to it, every structure R2013 needs, accepted by ezdxf.
#include "cad/dxf/new_drawing.h"

#include <gtest/gtest.h>

#include "cad/db/sysvars.h"
#include "cad/dxf/compare.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "tests/dxf/dxf_checks.h"

namespace cad {
namespace {

TEST(NewDrawing, IsSetUpForMetresAndStandardDrawsTicksSizedForThem) {
  auto db = new_drawing();
  EXPECT_EQ(db->get_var("INSUNITS")->i, 6);
  EXPECT_EQ(db->get_var("LUNITS")->i, 2);
  EXPECT_EQ(db->get_var("LUPREC")->i, 3);
  EXPECT_EQ(db->get_var("DIMSTYLE")->s, "STANDARD");
  const Record& rec = db->record(db->table_entry("DIMSTYLE", "STANDARD"));
  // DIMTSZ (ticks instead of arrows), DIMASZ, DIMTXT, DIMGAP, DIMEXO, DIMEXE, DIMDLE.
  const std::pair<int, double> reals[] = {{142, 0.05}, {41, 0.05}, {140, 0.08}, {147, 0.02},
                                          {42, 0.02},  {44, 0.05}, {46, 0.05}};
  for (const auto& [code, value] : reals) EXPECT_EQ(rec.real(code), value) << code;
  // DIMTAD, DIMTIH, DIMTOH, DIMDEC, DIMZIN, DIMDSEP.
  const std::pair<int, int> ints[] = {{77, 1}, {73, 0}, {74, 0}, {271, 2}, {78, 8}, {278, '.'}};
  for (const auto& [code, value] : ints) EXPECT_EQ(rec.integer(code), value) << code;
  EXPECT_EQ(rec.text(340), handle_text(db->record(db->table_entry("STYLE", "Standard")).handle()));
}

TEST(NewDrawing, HeaderDimensionVariablesEqualTheStyle) {
  auto db = new_drawing();
  const Record& style = db->record(db->table_entry("DIMSTYLE", "STANDARD"));
  for (const SysVarInfo& info : dim_vars()) {
    std::optional<VarValue> value = db->get_var(info.name);
    ASSERT_TRUE(value) << info.name;
    ASSERT_NE(db->header_var(std::string("$") + info.name), nullptr) << info.name;
    const Group* g = style.find(info.dimstyle_code);
    const bool real = info.type == VarType::kReal;
    if (real || info.type == VarType::kShort || info.type == VarType::kLong) {
      ASSERT_NE(g, nullptr) << info.name;
      EXPECT_EQ(real ? g->x() : g->i(), real ? value->r : value->i) << info.name;
    } else if (info.dimstyle_code != 340) {
      // Names: the text style by handle, arrow blocks and texts absent when empty.
      EXPECT_TRUE(value->s.empty() && !g) << info.name;
    }
  }
}

TEST(NewDrawing, HoldsWhatR2013Needs) {
  auto db = new_drawing();
  const std::pair<const char*, std::vector<const char*>> entries[] = {
      {"LAYER", {"0", "DEFPOINTS"}}, {"LTYPE", {"ByBlock", "ByLayer", "Continuous"}},
      {"STYLE", {"Standard"}},       {"APPID", {"ACAD"}},
      {"VPORT", {"*Active"}},        {"BLOCK_RECORD", {"*Model_Space", "*Paper_Space"}}};
  for (const auto& [table, names] : entries)
    for (const char* name : names)
      EXPECT_NE(db->table_entry(table, name), kNoRecord) << table << " " << name;
  EXPECT_NE(db->block_index("*Model_Space"), Database::npos);
  EXPECT_NE(db->block_index("*Paper_Space"), Database::npos);
  ASSERT_FALSE(db->objects().empty());
  const Record& root = db->record(db->objects().front());
  EXPECT_EQ(root.type, "DICTIONARY");
  EXPECT_EQ(root.text(3), "ACAD_GROUP");
  EXPECT_NE(db->find_handle(root.text(350)), kNoRecord);
}

TEST(NewDrawing, IsCompleteReadsBackUnchangedAndIsAcceptedByEzdxf) {
  auto db = new_drawing();
  std::string out = write_dxf(*db);
  complete_drawing(*db);
  EXPECT_EQ(db->journal_size(), 0u);
  ReadResult back = read_dxf(out, "new.dxf");
  ASSERT_TRUE(back.db) << back.error;
  EXPECT_TRUE(back.notes.empty()) << back.notes.front();
  EXPECT_EQ(diff_records(*db, *back.db), "");

  EXPECT_TRUE(testing::saved_and_audited(*db, "new.dxf"));
}

}  // namespace
}  // namespace cad
