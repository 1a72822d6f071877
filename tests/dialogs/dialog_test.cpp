// A shown dialog: tile values and their limit, modes, client data, actions and how it ends.
#include "cad/dialogs/dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cad/base/utf8.h"
#include "tests/dialogs/dialog_checks.h"

namespace cad {
namespace {

using testing::dialog_of;

constexpr const char* kForm = R"(
  d : dialog {
    label = "Form"; initial_focus = "e";
    : edit_box { key = "e"; value = "start"; }
    : edit_box { key = "off"; is_enabled = false; }
    : toggle { key = "t"; }
    : image { key = "img"; }
    : text { key = "note"; label = "shown"; }
    errtile;
    ok_cancel;
  })";

TEST(DialogValues, StartFromTheLayoutAndFollowSetTile) {
  Dialog d(dialog_of(kForm));
  EXPECT_EQ(d.get_tile("e"), "start");
  EXPECT_EQ(d.get_tile("t"), "0");
  EXPECT_EQ(d.get_tile("note"), "shown");
  EXPECT_EQ(d.get_tile("error"), "");
  EXPECT_TRUE(d.set_tile("error", "Eingabefehler"));
  EXPECT_EQ(d.get_tile("error"), "Eingabefehler");
  EXPECT_FALSE(d.set_tile("nope", "x"));
  EXPECT_EQ(d.get_tile("nope"), std::nullopt);
}

TEST(DialogValues, AreCutAtTheHostLimitWithoutSplittingACharacter) {
  Dialog d(dialog_of(kForm));
  std::string umlauts;
  for (int i = 0; i < 2040; ++i) umlauts += "ä";
  ASSERT_TRUE(d.set_tile("e", umlauts));
  std::string kept = *d.get_tile("e");
  EXPECT_EQ(utf8_length(kept), kMaxTileValueChars);
  EXPECT_EQ(kept.size(), 2 * kMaxTileValueChars) << "each 'ä' is two bytes, none cut in half";
  std::string exact(kMaxTileValueChars, 'x');
  d.set_tile("e", exact);
  EXPECT_EQ(d.get_tile("e"), exact);
}

TEST(DialogModes, AreRecordedPerTile) {
  Dialog d(dialog_of(kForm));
  EXPECT_EQ(d.focus(), "e") << "initial_focus";
  EXPECT_TRUE(d.enabled("e"));
  EXPECT_FALSE(d.enabled("off")) << "is_enabled = false";
  EXPECT_TRUE(d.mode_tile("off", 0));
  EXPECT_TRUE(d.enabled("off"));
  EXPECT_TRUE(d.mode_tile("t", 2));
  EXPECT_EQ(d.focus(), "t");
  EXPECT_TRUE(d.mode_tile("e", 3));
  EXPECT_EQ(d.selected_text(), "e");
  EXPECT_TRUE(d.mode_tile("img", 4));
  EXPECT_TRUE(d.flipped("img"));
  EXPECT_TRUE(d.mode_tile("img", 4));
  EXPECT_FALSE(d.flipped("img"));
  for (int mode : {5, -1}) EXPECT_FALSE(d.mode_tile("e", mode)) << mode;
  EXPECT_FALSE(d.mode_tile("nope", 0));
}

TEST(DialogActions, RunTheTileActionElseTheDefaultAction) {
  Dialog d(dialog_of(kForm));
  std::vector<std::tuple<std::string, std::string, int>> calls;
  EXPECT_FALSE(d.fire("e")) << "nothing to run yet";
  EXPECT_TRUE(d.set_action("e", [&](const std::string& key, const std::string& value, int reason) {
    calls.emplace_back("own:" + key, value, reason);
  }));
  d.set_default_action([&](const std::string& key, const std::string& value, int reason) {
    calls.emplace_back("default:" + key, value, reason);
  });
  d.set_tile("t", "1");
  EXPECT_TRUE(d.fire("e"));
  EXPECT_TRUE(d.fire("t"));
  EXPECT_FALSE(d.fire("nope"));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], std::make_tuple("own:e", "start", kReasonSelect));
  EXPECT_EQ(calls[1], std::make_tuple("default:t", "1", kReasonSelect));
  EXPECT_TRUE(d.has_action("e"));
  EXPECT_FALSE(d.has_action("t"));
  EXPECT_FALSE(d.set_action("nope", {}));
}

TEST(DialogActions, MayReplaceThemselvesAndChangeTilesWhileRunning) {
  Dialog d(dialog_of(kForm));
  int runs = 0;
  d.set_action("e", [&](const std::string& key, const std::string& value, int) {
    ++runs;
    d.set_action(key, {});
    d.set_tile(key, value + "!");
    EXPECT_EQ(value, "start") << "the value given is the one at the time of the call";
  });
  EXPECT_TRUE(d.fire("e"));
  EXPECT_EQ(d.get_tile("e"), "start!");
  EXPECT_FALSE(d.fire("e"));
  EXPECT_EQ(runs, 1);
}

TEST(DialogEnd, TheFirstDoneSetsTheStatusAndEachReportsThePosition) {
  Dialog d(dialog_of(kForm));
  EXPECT_TRUE(d.is_open());
  EXPECT_EQ(d.position(), kDefaultDialogPosition) << "(-1, -1) is placed by the host";
  d.move({250, 40});
  EXPECT_EQ(d.done(7), (DialogPosition{250, 40}));
  EXPECT_FALSE(d.is_open());
  EXPECT_EQ(d.done(kDialogCancel), (DialogPosition{250, 40}));
  EXPECT_EQ(d.status(), 7);
}

}  // namespace
}  // namespace cad
