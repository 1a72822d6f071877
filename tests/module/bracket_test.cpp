// The command bracket: the undo group by UNDOCTL and the style STANDARD secured. The dimension
// style, layer and UCS put back: chain_edit_test.cpp (BemAdd, BemUpd) and generation_test.cpp.
#include <string>
#include <vector>

#include "tests/support/chain_fixture.h"

namespace {

class BracketTest : public ModuleHost {};

// The undo group around a command by UNDOCTL: off (0), one step (3), all without (1) and with
// automatic grouping (5). A group the user opened is left to the user. Afterwards UNDOCTL is as
// it was.
TEST_F(BracketTest, UndoGroupFollowsUndoctl) {
  struct Case {
    const char* name;
    void (cad::UndoSteps::*control)();
    bool automatic;
    bool user_group;
    bool group_inside;
  };
  const Case cases[] = {
      {"off", &cad::UndoSteps::control_none, false, false, false},
      {"one step", &cad::UndoSteps::control_one, true, false, false},
      {"all", &cad::UndoSteps::control_all, false, false, true},
      {"all and auto", &cad::UndoSteps::control_all, true, false, true},
      {"in the user's group", &cad::UndoSteps::control_all, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    (host().undo().*c.control)();
    host().undo().set_auto(c.automatic);
    if (c.user_group) host().undo().begin_group();
    const short before = short_var(L"UNDOCTL");
    run([&] {
      resbuf undoctl{};
      undo_begin(&undoctl);
      EXPECT_EQ(host().undo().group_open(), c.group_inside);
      // Automatic grouping would end the group at the first command inside.
      EXPECT_EQ(short_var(L"UNDOCTL") & 4, c.group_inside && !c.user_group ? 0 : before & 4);
      undo_end(&undoctl);
    });
    EXPECT_EQ(host().undo().group_open(), c.user_group);
    EXPECT_EQ(short_var(L"UNDOCTL"), before);
    if (c.user_group) host().undo().end_group();
  }
}

TEST_F(BracketTest, PrepareSavesUnnamedVariablesOverStandard) {
  const std::string drawing = saved_bytes();
  run([] { dim_prepare(); });
  EXPECT_TRUE(saved_bytes() == drawing) << "a named style is left alone";
  ASSERT_TRUE(cad::set_variable(host(), "DIMASZ", cad::VarValue::real(0.75)));
  ASSERT_EQ(text_var(L"DIMSTYLE"), L"*UNNAMED");
  run([] { dim_prepare(); });
  RbList standard(acdbTblSearch(L"DIMSTYLE", L"STANDARD", 0));
  const resbuf* asz = rb_assoc(standard.get(), 41);
  ASSERT_NE(asz, nullptr);
  EXPECT_DOUBLE_EQ(asz->resval.rreal, 0.75);
}

}  // namespace
