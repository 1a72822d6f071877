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

TEST(NewDrawing, IsSetUpForMetres) {
  auto db = new_drawing();
  EXPECT_EQ(db->get_var("ACADVER")->s, "AC1027");
  EXPECT_EQ(db->get_var("INSUNITS")->i, 6);
  EXPECT_EQ(db->get_var("MEASUREMENT")->i, 1);
  EXPECT_EQ(db->get_var("LUNITS")->i, 2);
  EXPECT_EQ(db->get_var("LUPREC")->i, 3);
  EXPECT_EQ(db->get_var("CLAYER")->s, "0");
  EXPECT_EQ(db->get_var("DIMSTYLE")->s, "STANDARD");
  EXPECT_EQ(db->journal_size(), 0u);
}

TEST(NewDrawing, StandardDrawsTicksSizedForMetres) {
  auto db = new_drawing();
  RecordId style = db->table_entry("DIMSTYLE", "STANDARD");
  ASSERT_NE(style, kNoRecord);
  const Record& rec = db->record(style);
  EXPECT_EQ(rec.real(142), 0.05);  // DIMTSZ: ticks instead of arrows
  EXPECT_EQ(rec.real(41), 0.05);   // DIMASZ
  EXPECT_EQ(rec.real(140), 0.08);  // DIMTXT
  EXPECT_EQ(rec.real(147), 0.02);  // DIMGAP
  EXPECT_EQ(rec.real(42), 0.02);   // DIMEXO
  EXPECT_EQ(rec.real(44), 0.05);   // DIMEXE
  EXPECT_EQ(rec.real(46), 0.05);   // DIMDLE
  EXPECT_EQ(rec.integer(77), 1);   // DIMTAD
  EXPECT_EQ(rec.integer(73), 0);   // DIMTIH
  EXPECT_EQ(rec.integer(74), 0);   // DIMTOH
  EXPECT_EQ(rec.integer(271), 2);  // DIMDEC
  EXPECT_EQ(rec.integer(78), 8);   // DIMZIN
  EXPECT_EQ(rec.integer(278), '.');
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
    switch (info.type) {
      case VarType::kReal:
        ASSERT_NE(g, nullptr) << info.name;
        EXPECT_EQ(g->x, value->r) << info.name;
        break;
      case VarType::kShort:
      case VarType::kLong:
        ASSERT_NE(g, nullptr) << info.name;
        EXPECT_EQ(g->i, value->i) << info.name;
        break;
      default:
        // Names: the text style by handle, arrow blocks and texts absent when empty.
        if (info.dimstyle_code != 340) {
          EXPECT_TRUE(value->s.empty() && !g) << info.name;
        }
        break;
    }
  }
}

TEST(NewDrawing, HoldsWhatR2013Needs) {
  auto db = new_drawing();
  for (auto [table, name] :
       std::initializer_list<std::pair<const char*, const char*>>{{"LAYER", "0"},
                                                                  {"LAYER", "DEFPOINTS"},
                                                                  {"LTYPE", "ByBlock"},
                                                                  {"LTYPE", "ByLayer"},
                                                                  {"LTYPE", "Continuous"},
                                                                  {"STYLE", "Standard"},
                                                                  {"APPID", "ACAD"},
                                                                  {"VPORT", "*Active"},
                                                                  {"BLOCK_RECORD", "*Model_Space"},
                                                                  {"BLOCK_RECORD", "*Paper_Space"}})
    EXPECT_NE(db->table_entry(table, name), kNoRecord) << table << " " << name;
  EXPECT_NE(db->block_index("*Model_Space"), Database::npos);
  EXPECT_NE(db->block_index("*Paper_Space"), Database::npos);
  ASSERT_FALSE(db->objects().empty());
  const Record& root = db->record(db->objects().front());
  EXPECT_EQ(root.type, "DICTIONARY");
  EXPECT_EQ(root.text(3), "ACAD_GROUP");
  EXPECT_NE(db->find_handle(root.text(350)), kNoRecord);
}

TEST(NewDrawing, IsCompleteAndReadsBackUnchanged) {
  auto db = new_drawing();
  std::string out = write_dxf(*db);
  complete_drawing(*db);
  EXPECT_EQ(db->journal_size(), 0u);
  ReadResult back = read_dxf(out, "new.dxf");
  ASSERT_TRUE(back.db) << back.error;
  EXPECT_TRUE(back.notes.empty()) << back.notes.front();
  EXPECT_EQ(diff_records(*db, *back.db), "");
}

TEST(NewDrawing, IsAcceptedByEzdxf) {
  testing::TempDir dir;
  std::string path = (dir.path() / "new.dxf").string();
  std::string error;
  ASSERT_TRUE(save_dxf(*new_drawing(), path, &error)) << error;
  EXPECT_TRUE(testing::ezdxf_audit({path}));
}

}  // namespace
}  // namespace cad
