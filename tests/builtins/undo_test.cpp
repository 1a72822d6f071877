// Undo where a scenario of host_cases.txt cannot say it: a module's command is one step whatever
// groups it opens, and U names the command as it was called.
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

std::vector<Reply> line() { return {T("_line"), P(0, 0), P(4, 4), T("")}; }

using UndoTest = HostFixture;

TEST_F(UndoTest, ACommandIsOneStepWhateverGroupsItOpens) {
  // A command that scripts others the way the module does.
  CommandDef def;
  def.group = "TEST";
  def.global_name = def.local_name = "TWOLINES";
  def.body = [this] {
    run({T("_undo"), T("_auto"), T("_off")});
    run({T("_undo"), T("_group")});
    run(line());
    run({T("_undo"), T("_end")});
    run({T("_undo"), T("_auto"), T("_on")});
    run({T("_line"), P(5, 5), P(6, 6), T("")});
  };
  host_.commands().add(def);
  ASSERT_EQ(run(line()), kRtNorm);
  const Snapshot before(host_);
  ASSERT_EQ(run({T("twolines")}), kRtNorm);
  EXPECT_EQ(live_entities("LINE").size(), 3u);
  ASSERT_EQ(run({T("_u")}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  EXPECT_EQ(host_.get_var("UNDOCTL")->i, 53);
}

TEST_F(UndoTest, UNamesTheCommandAsItWasCalledAndAGroupAfterItsCommand) {
  // A command of a module: called by its local name, or by its global one with "_"; it groups
  // its work as the module's commands do.
  CommandDef def;
  def.group = "TEST";
  def.global_name = "AutoDim";
  def.local_name = "AutoBem";
  def.body = [this] {
    run({T("_undo"), T("_group")});
    run(line());
    run({T("_undo"), T("_end")});
  };
  host_.commands().add(def);
  auto undone = [&] {
    host_.transcript().clear();
    EXPECT_EQ(type("U\n"), 0);
    return host_.transcript().text();
  };
  EXPECT_EQ(type("autobem\n"), 0);
  EXPECT_NE(undone().find("\nAutoBem\n"), std::string::npos);
  EXPECT_EQ(type("_AutoDim\n"), 0);
  EXPECT_NE(undone().find("\nAutoDim\n"), std::string::npos);
  // A group opened at the command line is a group.
  EXPECT_EQ(type("UNDO BE\nLINE 0,0 1,1 \nUNDO E\n"), 0);
  EXPECT_NE(undone().find("\nGROUP\n"), std::string::npos);
}

}  // namespace
}  // namespace cad::testing
