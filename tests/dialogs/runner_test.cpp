// Running a dialog from script replies and on a terminal form.
#include "cad/dialogs/runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/dialogs/dialog_checks.h"

namespace cad {
namespace {

using testing::dialog_of;
using testing::run_script;
using testing::ScriptIo;

constexpr const char* kDcl = R"(
  d : dialog {
    label = "Settings";
    : boxed_column {
      label = "Sizes";
      : edit_box { key = "w"; label = "&Width"; value = "1"; }
      : edit_box { key = "short"; label = "Short"; edit_limit = 3; }
    }
    : toggle { key = "t"; label = "Flag"; }
    : button { key = "go"; label = "Go"; }
    errtile;
    ok_cancel;
  })";

class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() : dialog_(dialog_of(kDcl)) {}

  void record(const std::string& key) {
    dialog_.set_action(key, [this](const std::string& k, const std::string& v, int reason) {
      calls_.push_back(k + "=" + v + (reason == kReasonSelect ? "" : "/" + std::to_string(reason)));
    });
  }

  int run(std::vector<std::string> replies) {
    script_ = ScriptIo(std::move(replies));
    return run_script(dialog_, script_);
  }

  Dialog dialog_;
  ScriptIo script_{{}};
  // "key=value" of each action run, with "/reason" after it for another reason than a select.
  std::vector<std::string> calls_;
};

TEST_F(RunnerTest, KeyValueSetsTheTextAndFiresItsActionWithReasonOne) {
  record("w");
  EXPECT_EQ(run({"w=2.5", "short=7", "w= a=b ", "OK"}), kDialogOk);
  // "short" has no action; the value is taken as written after the first '='.
  EXPECT_EQ(calls_, (std::vector<std::string>{"w=2.5", "w= a=b "}));
  EXPECT_EQ(dialog_.get_tile("short"), "7");
  EXPECT_EQ(script_.out, "");
}

TEST_F(RunnerTest, AnEditKeepsWhatTheEditBoxLimitAllows) {
  EXPECT_EQ(run({"short=12345", "w=" + std::string(200, '9'), "oK"}), kDialogOk);
  EXPECT_FALSE(dialog_.is_open()) << "OK without an accept action ends with status one";
  EXPECT_EQ(dialog_.get_tile("short"), "123");
  EXPECT_EQ(dialog_.get_tile("w")->size(), kDefaultEditLimit);
}

TEST_F(RunnerTest, OkWithAnAcceptActionLeavesTheEndToTheAction) {
  int presses = 0;
  dialog_.set_action("accept", [&](const std::string&, const std::string&, int) {
    if (++presses == 2) dialog_.done(5);
  });
  EXPECT_EQ(run({"OK", "w=3", "OK", "w=4"}), 5);
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(dialog_.get_tile("w"), "3") << "replies after the end are not read";
  EXPECT_EQ(script_.lines.size(), 1u);
}

TEST_F(RunnerTest, CancelEndsWithStatusZeroUnlessItHasAnAction) {
  EXPECT_EQ(run({"w=9", "cancel"}), kDialogCancel);
  EXPECT_FALSE(dialog_.is_open());

  Dialog other(dialog_of(kDcl));
  other.set_action("cancel", [&](const std::string&, const std::string&, int) { other.done(3); });
  ScriptIo script({"CANCEL"});
  EXPECT_EQ(run_script(other, script), 3);
}

TEST_F(RunnerTest, UnusableRepliesPrintAMessageAndTheDialogStaysOpen) {
  dialog_.mode_tile("w", 1);
  EXPECT_EQ(run({"qrm99=1", "hello there", "=5", "w=2", "error=x", "short", "go=1", "OK"}),
            kDialogOk);
  EXPECT_EQ(
      script_.out,
      "dialog \"d\": no tile \"qrm99\"; replies are key=value, a key, OK, Cancel or MOVE x,y\n"
      "dialog \"d\": no tile \"hello there\"; replies are key=value, a key, OK, Cancel or "
      "MOVE x,y\n"
      "dialog \"d\": a tile key is missing before '='\n"
      "dialog \"d\": tile \"w\" is disabled\n"
      "dialog \"d\": tile \"error\" (text) takes no value\n"
      "dialog \"d\": tile \"short\" needs a value: short=value\n"
      "dialog \"d\": tile \"go\" (button) takes no value; type its key alone to press it\n");
  EXPECT_EQ(dialog_.get_tile("w"), "1");
  EXPECT_EQ(dialog_.get_tile("error"), "");
}

TEST_F(RunnerTest, TheEndOfInputCancelsAnOpenDialog) {
  EXPECT_EQ(run({"w=2"}), kDialogCancel);
  EXPECT_FALSE(dialog_.is_open());
  EXPECT_EQ(script_.out, "dialog \"d\": input ended, dialog cancelled\n");
}

TEST_F(RunnerTest, AMovedDialogReportsItsNewPlaceWhenDone) {
  DialogPosition closed_at;
  dialog_.set_action("accept", [&](const std::string&, const std::string&, int) {
    closed_at = dialog_.done(kDialogOk);
  });
  EXPECT_EQ(dialog_.position(), kDefaultDialogPosition);
  EXPECT_EQ(run({"MOVE 300,-20", "move 1;2", "OK"}), kDialogOk);
  EXPECT_EQ(closed_at, (DialogPosition{300, -20}));
  EXPECT_EQ(script_.out,
            "dialog \"d\": MOVE needs a position as x,y in whole numbers, e.g. MOVE 200,150\n");

  Dialog again(dialog_of(kDcl), closed_at);
  EXPECT_EQ(again.position(), (DialogPosition{300, -20})) << "a kept position opens it there";
}

TEST_F(RunnerTest, AKeyAloneAPressesButtonsAndFlipsToggles) {
  record("go");
  record("t");
  EXPECT_EQ(run({"go", "t", "3", "t", "Cancel"}), kDialogCancel);
  // 3 is the toggle's number in the form.
  EXPECT_EQ(calls_, (std::vector<std::string>{"go=", "t=1", "t=0", "t=1"}));
}

TEST_F(RunnerTest, EnterPressesTheDefaultButtonAndOkNeedsAnAcceptTile) {
  EXPECT_EQ(run({"w=2", ""}), kDialogOk);
  Dialog bare(dialog_of("d : dialog { : button { key = \"b\"; } }"));
  ScriptIo script({"", "OK", "Cancel"});
  EXPECT_EQ(run_script(bare, script), kDialogCancel);
  EXPECT_EQ(script.out,
            "dialog \"d\": no default button to press with Enter\n"
            "dialog \"d\": no OK button (a tile \"accept\")\n");
}

TEST(RunnerForm, ShowsTitleHeadingsNumberedTilesAndTheErrorText) {
  Dialog d(dialog_of(kDcl));
  d.set_tile("error", "Wert > 0 eingeben");
  d.set_tile("t", "1");
  d.mode_tile("go", 1);
  EXPECT_EQ(format_form(d),
            "Settings\n"
            "  Sizes\n"
            "      1  Width  [1]\n"
            "      2  Short  []\n"
            "    3  [x] Flag\n"
            "    4  < Go >  (disabled)\n"
            "       Wert > 0 eingeben\n"
            "    5  < OK >\n"
            "    6  < Cancel >\n");
}

TEST(RunnerTerminal, ATileChosenByNumberAsksForItsValueAndTheFormIsShownAgain) {
  Dialog d(dialog_of(kDcl));
  std::vector<std::string> seen;
  d.set_action("w",
               [&](const std::string&, const std::string& value, int) { seen.push_back(value); });
  ScriptIo terminal({"1", "7.5", "w", "", "OK"}, true);
  EXPECT_EQ(run_script(d, terminal), kDialogOk);
  EXPECT_EQ(seen, std::vector<std::string>{"7.5"}) << "Enter alone keeps the value";
  EXPECT_EQ(d.get_tile("w"), "7.5");
  const std::string prompt = "Tile number or key, key=value, OK or Cancel: ";
  size_t forms = 0;
  for (size_t at = terminal.out.find(prompt); at != std::string::npos;
       at = terminal.out.find(prompt, at + 1)) {
    ++forms;
  }
  EXPECT_EQ(forms, 3u);
  EXPECT_NE(terminal.out.find("Width <1>: "), std::string::npos);
  EXPECT_NE(terminal.out.find("      1  Width  [7.5]\n"), std::string::npos);
}

}  // namespace
}  // namespace cad
