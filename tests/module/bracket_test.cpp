// The command bracket: the undo group by UNDOCTL, the style STANDARD secured, and the dimension
// style, layer and UCS put back.
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

TEST_F(BracketTest, EnvironmentComesBackAfterStyleAndLayerChanged) {
  run([] {
    acedCommandS(RTSTR, L"_-layer", RTSTR, L"_make", RTSTR, L"Masse", RTSTR, L"", RTNONE);
    acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, L"ZWEI", RTNONE);
    acedCommandS(RTSTR, L"_-layer", RTSTR, L"_set", RTSTR, L"0", RTSTR, L"", RTNONE);
    acedCommandS(RTSTR, L"_dim1", RTSTR, L"_restore", RTSTR, L"STANDARD", RTNONE);
  });
  RbValue style;
  RbValue layer;
  run([&] {
    EXPECT_EQ(save_dim_env(style, layer), RTNORM);
    acedCommandS(RTSTR, L"_-layer", RTSTR, L"_set", RTSTR, L"Masse", RTSTR, L"", RTNONE);
    acedCommandS(RTSTR, L"_dim1", RTSTR, L"_restore", RTSTR, L"ZWEI", RTNONE);
    restore_dim_env(style, layer);
  });
  EXPECT_EQ(text_var(L"CLAYER"), L"0");
  EXPECT_EQ(text_var(L"DIMSTYLE"), L"STANDARD");
}

TEST_F(BracketTest, UcsPreviousStepsBack) {
  run([] {
    acedCommandS(RTSTR, L"_ucs", RTSTR, L"_z", RTANG, 30.0, RTNONE);
    ucs_previous();
  });
  EXPECT_TRUE(host().ucs().is_world());
}

}  // namespace
