// The command bracket: undo groups by UNDOCTL, echo off and the request reset, the style
// STANDARD secured, and the dimension style, layer and UCS put back.
#include <string>
#include <vector>

#include "cad/ads/undo.h"
#include "chain/chain_request.h"
#include "frame/command_env.h"
#include "module_host.h"

namespace {

using Lines = std::vector<std::string>;

class BracketTest : public ModuleHostTest {
 protected:
  // The scripted commands of one command that opens and closes the bracket around a line.
  Lines undo_commands() {
    const size_t before = scripted().size();
    run([] {
      resbuf undoctl{};
      undo_begin(&undoctl);
      ads_point from = {0, 0, 0};
      ads_point to = {1, 1, 0};
      acedCommandS(RTSTR, L"_line", RTPOINT, from, RTPOINT, to, RTSTR, L"", RTNONE);
      undo_end(&undoctl);
    });
    const Lines all = scripted();
    Lines undo;
    for (size_t i = before; i < all.size(); ++i) {
      if (all[i].rfind("_undo", 0) == 0) undo.push_back(all[i]);
    }
    return undo;
  }
};

// The undo commands around a command by UNDOCTL: off (0), one step (3), all without (1) and
// with automatic grouping (5).
TEST_F(BracketTest, UndoCommandsFollowUndoctl) {
  struct Case {
    const char* name;
    void (cad::UndoSteps::*control)();
    bool automatic;
    Lines commands;
  };
  const std::vector<Case> cases = {
      {"off", &cad::UndoSteps::control_none, false, {}},
      {"one step", &cad::UndoSteps::control_one, true, {}},
      {"all", &cad::UndoSteps::control_all, false, {"_undo _group", "_undo _end"}},
      {"all and auto",
       &cad::UndoSteps::control_all,
       true,
       {"_undo _auto _off", "_undo _group", "_undo _end", "_undo _auto _on"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    (host().undo().*c.control)();
    host().undo().set_auto(c.automatic);
    EXPECT_EQ(undo_commands(), c.commands);
  }
}

TEST_F(BracketTest, NoUndoCommandWhenAGroupIsOpen) {
  host().undo().control_all();
  host().undo().set_auto(true);
  const size_t before = scripted().size();
  run([] {
    acedCommandS(RTSTR, L"_undo", RTSTR, L"_group", RTNONE);
    resbuf undoctl{};
    undo_begin(&undoctl);
    undo_end(&undoctl);
    acedCommandS(RTSTR, L"_undo", RTSTR, L"_end", RTNONE);
  });
  EXPECT_EQ(scripted().size(), before + 2);
}

TEST_F(BracketTest, EndFollowsTheValueReadAtTheBeginning) {
  host().undo().control_all();
  host().undo().set_auto(true);
  const size_t before = scripted().size();
  run([this] {
    resbuf undoctl{};
    undo_begin(&undoctl);
    host().undo().control_none();
    undo_end(&undoctl);
  });
  const Lines all = scripted();
  ASSERT_EQ(all.size(), before + 4);
  EXPECT_EQ(all.back(), "_undo _auto _on");
}

TEST_F(BracketTest, PrepareSwitchesEchoOffAndResetsTheRequest) {
  set_short_var(L"CMDECHO", 1);
  ChainRequest.point_count = 7;
  ChainRequest.side = -1;
  run([] { EXPECT_EQ(dim_prepare(), RTNORM); });
  EXPECT_EQ(short_var(L"CMDECHO"), 0);
  EXPECT_EQ(ChainRequest.point_count, 1);
  EXPECT_EQ(ChainRequest.side, 0);
}

TEST_F(BracketTest, PrepareSavesUnnamedVariablesOverStandard) {
  const size_t before = scripted().size();
  run([] { dim_prepare(); });
  EXPECT_EQ(scripted().size(), before) << "a named style is left alone";
  ASSERT_TRUE(cad::set_variable(host(), "DIMASZ", cad::VarValue::real(0.75)));
  ASSERT_EQ(text_var(L"DIMSTYLE"), L"*UNNAMED");
  run([] { dim_prepare(); });
  ASSERT_FALSE(scripted().empty());
  EXPECT_EQ(scripted().back(), "_dim1 _save STANDARD _Yes");
  RbList standard(acdbTblSearch(L"DIMSTYLE", L"STANDARD", 0));
  const resbuf* asz = find_group(standard.get(), 41);
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
  EXPECT_EQ(scripted().back(), "_-layer _set 0 ");
}

TEST_F(BracketTest, UcsPreviousStepsBack) {
  run([] {
    acedCommandS(RTSTR, L"_ucs", RTSTR, L"_z", RTANG, 30.0, RTNONE);
    ucs_previous();
  });
  EXPECT_TRUE(host().ucs().is_world());
  EXPECT_EQ(scripted().back(), "_ucs _previous");
}

}  // namespace
