// Undo steps as the interface keeps them: one per command, a group inside a command, automatic
// grouping after a command that ends early, control modes, and UNDOCTL as the interface reports
// it. (Groups and marks over several commands, through UNDO: tests/builtins/undo_test.cpp.)
#include "cad/ads/undo.h"
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

class UndoStepsTest : public HostFixture {
 protected:
  UndoStepsTest() {
    add_command("MAKE", [this] { make_line(0, 0, 1, 1); });
    add_command("NOTHING", [] {});
    add_command("U", [this] { host_.undo().back_one(); });
  }

  size_t lines() { return host_.db().entities().size(); }
  void run(std::string_view name) { ASSERT_EQ(host_.run_command(name), CommandResult::kDone); }

  int undoctl() {
    const resbuf value = get_var(L"UNDOCTL");
    EXPECT_EQ(value.restype, RTSHORT);
    return value.resval.rint;
  }
};

// Every command is one step, a group inside it too, and commands that change nothing are none.
TEST_F(UndoStepsTest, EveryCommandIsOneStepWithAGroupInsideItAndNoneGoesWithACancelledOne) {
  add_command("BRACKET", [this] {
    make_line(0, 0, 1, 0);
    host_.undo().begin_group();
    make_line(0, 1, 1, 1);
    host_.undo().end_group();
    make_line(0, 2, 1, 2);
  });
  add_command("BROKEN", [this] {
    host_.undo().begin_group();
    make_line(0, 0, 1, 0);
    throw CommandCancelled{};
  });
  run("MAKE");
  run("NOTHING");
  run("BRACKET");
  EXPECT_EQ(host_.undo().size(), 2u);
  run("U");
  EXPECT_EQ(lines(), 1u);
  EXPECT_EQ(host_.run_command("BROKEN"), CommandResult::kCancelled);
  EXPECT_FALSE(host_.undo().group_open());
  EXPECT_EQ(lines(), 1u);
  run("U");
  EXPECT_EQ(lines(), 0u);
  EXPECT_FALSE(host_.undo().back_one());
}

TEST_F(UndoStepsTest, ACommandThatEndsEarlyLeavesAutomaticGroupingAsItWasAndOneThatEndsKeepsIt) {
  // The chain commands switch it off around their group; one the host fails must not leave it
  // off.
  add_command("ABORTED", [this] {
    host_.undo().set_auto(false);
    host_.undo().begin_group();
    make_line(0, 0, 1, 0);
    throw CommandAborted{"\nkaputt"};
  });
  add_command("AUTOOFF", [this] { host_.undo().set_auto(false); });
  EXPECT_EQ(host_.run_command("ABORTED"), CommandResult::kAborted);
  EXPECT_EQ(undoctl() & UndoSteps::kAuto, UndoSteps::kAuto);
  EXPECT_EQ(lines(), 0u);
  run("AUTOOFF");
  EXPECT_EQ(undoctl() & UndoSteps::kAuto, 0);
}

TEST_F(UndoStepsTest, ControlOneKeepsOnlyTheNewestStepAndNoneKeepsNothing) {
  host_.undo().control_one();
  EXPECT_FALSE(host_.undo().begin_group());
  run("MAKE");
  run("MAKE");
  EXPECT_EQ(host_.undo().back(5), 1);
  EXPECT_EQ(lines(), 1u);

  host_.undo().control_none();
  run("MAKE");
  EXPECT_FALSE(host_.undo().back_one());
  EXPECT_EQ(lines(), 2u);
}

}  // namespace
}  // namespace cad::testing
