// The module's own dialog file, frame/dulk.dcl, read as the host reads it.
#include <gtest/gtest.h>

#include <string>
#include <utility>

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

// The German headings over the text settings and the distances, each an edit box ten wide that
// the module addresses by its key, and the tiles the dialog ends with.
TEST_F(DulkDcl, GroupsTheModulesEditBoxesUnderGermanHeadings) {
  EXPECT_EQ(dulk_->label, "Bemaßungsketten – Einstellungen");
  ASSERT_GE(dulk_->children.size(), 2u);
  const std::pair<const char*, const char*> groups[] = {{"Text", "qrm01 qrm02 qrm03 qrm07 qrm09 "},
                                                        {"Abstände", "qrm04 qrm05 qrm06 "}};
  for (size_t k = 0; k < 2; ++k) {
    const Tile& group = dulk_->children[k];
    EXPECT_EQ(group.type, "boxed_column");
    EXPECT_EQ(group.label, groups[k].first);
    std::string keys;
    for (const Tile& t : group.children) {
      keys += t.key + " ";
      EXPECT_EQ(t.type, "edit_box") << t.key;
      EXPECT_EQ(t.attribute("edit_width"), "10") << t.key;
    }
    EXPECT_EQ(keys, groups[k].second);
  }
  EXPECT_EQ(dulk_->find("qrm01")->label, "Längenfaktor");
  EXPECT_EQ(dulk_->find("qrm03")->label, "Führende Null (0/1)");
  ASSERT_NE(dulk_->find("error"), nullptr);
  EXPECT_EQ(dulk_->find("error")->type, "text");
  ASSERT_NE(dulk_->find("accept"), nullptr);
  EXPECT_TRUE(dulk_->find("accept")->flag("is_default"));
  EXPECT_NE(dulk_->find("cancel"), nullptr);
  EXPECT_TRUE(file_.notes.empty());
}

}  // namespace
}  // namespace cad
