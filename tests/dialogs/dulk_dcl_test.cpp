// The module's own dialog file, frame/dulk.dcl, read as the host reads it.
#include <gtest/gtest.h>

#include <string>

#include "cad/dialogs/dcl.h"

namespace cad {
namespace {

class DulkDcl : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(load_dcl(DULK_SOURCE_DIR "/frame/dulk.dcl", file_, error)) << error;
    dulk_ = file_.dialog("dulk");
    ASSERT_NE(dulk_, nullptr);
  }

  DclFile file_;
  const Tile* dulk_ = nullptr;
};

TEST_F(DulkDcl, HasEveryTileTheModuleAddresses) {
  for (const char* key : {"qrm01", "qrm02", "qrm03", "qrm04", "qrm05", "qrm06", "qrm07", "qrm09"}) {
    const Tile* tile = dulk_->find(key);
    ASSERT_NE(tile, nullptr) << key;
    EXPECT_EQ(tile->type, "edit_box") << key;
    EXPECT_EQ(tile->attribute("edit_width"), "10") << key;
  }
  ASSERT_NE(dulk_->find("error"), nullptr);
  EXPECT_EQ(dulk_->find("error")->type, "text");
  ASSERT_NE(dulk_->find("accept"), nullptr);
  EXPECT_TRUE(dulk_->find("accept")->flag("is_default"));
  EXPECT_NE(dulk_->find("cancel"), nullptr);
  EXPECT_TRUE(file_.notes.empty());
}

TEST_F(DulkDcl, GroupsTextSettingsAndDistancesUnderGermanHeadings) {
  EXPECT_EQ(dulk_->label, "Bemaßungsketten – Einstellungen");
  ASSERT_GE(dulk_->children.size(), 2u);
  const Tile& text = dulk_->children[0];
  const Tile& distances = dulk_->children[1];
  EXPECT_EQ(text.type, "boxed_column");
  EXPECT_EQ(text.label, "Text");
  EXPECT_EQ(distances.type, "boxed_column");
  EXPECT_EQ(distances.label, "Abstände");
  std::string text_keys;
  for (const Tile& t : text.children) text_keys += t.key + " ";
  EXPECT_EQ(text_keys, "qrm01 qrm02 qrm03 qrm07 qrm09 ");
  std::string distance_keys;
  for (const Tile& t : distances.children) distance_keys += t.key + " ";
  EXPECT_EQ(distance_keys, "qrm04 qrm05 qrm06 ");
  EXPECT_EQ(dulk_->find("qrm01")->label, "Längenfaktor");
  EXPECT_EQ(dulk_->find("qrm03")->label, "Führende Null (0/1)");
}

}  // namespace
}  // namespace cad
