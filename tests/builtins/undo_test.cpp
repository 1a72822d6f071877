// Undo where a scenario of host_cases.txt cannot say it: U names the command as it was called.
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

std::vector<Reply> line() {
  return {text_reply("_line"), point_reply({0, 0}), point_reply({4, 4}), text_reply("")};
}

using UndoTest = HostFixture;

TEST_F(UndoTest, UNamesTheCommandAsItWasCalledAndAGroupAfterItsCommand) {
  // A command of a module: called by its local name, or by its global one with "_"; it groups
  // its work as the module's commands do.
  CommandDef def;
  def.group = "TEST";
  def.global_name = "AutoDim";
  def.local_name = "AutoBem";
  def.body = [this] {
    run({text_reply("_undo"), text_reply("_group")});
    run(line());
    run({text_reply("_undo"), text_reply("_end")});
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
