// Undo: every host command is one step that U takes back exactly, a group spans its commands,
// a module's command is one step whatever groups it opens, and UNDOCTL shows the settings.
#include "cad/ads/undo.h"

#include <algorithm>
#include <functional>
#include <regex>
#include <sstream>

#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

struct UndoCase {
  const char* name;
  std::vector<std::vector<Reply>> setup;
  std::vector<Reply> command;
};

UndoCase Undo(const char* name, std::vector<std::vector<Reply>> setup, std::vector<Reply> command) {
  return {name, std::move(setup), std::move(command)};
}

class UndoEveryCommandTest : public HostFixture, public ::testing::WithParamInterface<UndoCase> {};

TEST_P(UndoEveryCommandTest, UGivesBackTheDrawingAndRedoTheCommandsWork) {
  for (const std::vector<Reply>& tokens : GetParam().setup) ASSERT_EQ(run(tokens), kRtNorm);
  const Snapshot before(host_);
  ASSERT_EQ(run(GetParam().command), kRtNorm);
  const Snapshot after(host_);
  ASSERT_NE(before.diff(after), "") << "the command changed nothing";
  ASSERT_EQ(run({T("_u")}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  ASSERT_EQ(run({T("_redo")}), kRtNorm);
  EXPECT_EQ(after.diff(Snapshot(host_)), "");
  ASSERT_EQ(run({T("_u")}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
}

// Every prompt a command showed (a transcript line "prompt: reply", messages left out) matches a
// prompt its HELP text lists, where "<...>" there stands for whatever the prompt shows. The
// prompts of the object selection's methods (windows, fences, polygons) belong to
// "Select objects:".
TEST_P(UndoEveryCommandTest, HelpListsEveryPromptTheCommandAsks) {
  for (const std::vector<Reply>& tokens : GetParam().setup) ASSERT_EQ(run(tokens), kRtNorm);
  host_.transcript().clear();
  ASSERT_EQ(run(GetParam().command), kRtNorm);
  const std::string name = GetParam().command.front().text.substr(1);
  const CommandDef* def = host_.commands().find(name);
  ASSERT_NE(def, nullptr);
  std::vector<std::regex> listed;
  if (def->help.find("\nSelect objects:") != std::string::npos)
    listed.emplace_back(
        "Specify (first|opposite) corner:|Specify (first|next) fence point:|"
        "First polygon point:|Specify endpoint of line or \\[Undo\\]:|"
        "Remove objects:");
  std::istringstream help(def->help);
  std::string line;
  std::getline(help, line);
  while (std::getline(help, line)) {
    const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    const std::string escaped = std::regex_replace(line, special, R"(\$&)");
    listed.emplace_back(std::regex_replace(escaped, std::regex("<[^>]*>"), ".*"));
  }
  std::istringstream shown(host_.transcript().text());
  while (std::getline(shown, line)) {
    const size_t end = line.rfind(": ");
    if (end == std::string::npos || line.starts_with("Command:") || line.starts_with("Current"))
      continue;
    const std::string prompt = line.substr(0, end + 1);
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                            [&](const std::regex& r) { return std::regex_match(prompt, r); }))
        << name << " asked \"" << prompt << "\", which its HELP does not list:\n"
        << def->help;
  }
}

std::vector<Reply> horizontal() {
  return {T("_dim1"), T("_hori"), P(0, 0), P(4, 0), P(2, 1), T("")};
}
std::vector<Reply> line() { return {T("_line"), P(0, 0), P(4, 4), T("")}; }

INSTANTIATE_TEST_SUITE_P(
    Commands, UndoEveryCommandTest,
    ::testing::Values(
        Undo("Dim1Horizontal", {}, horizontal()),
        Undo("Dim1Vertical", {}, {T("_dim1"), T("_ver"), P(0, 0), P(0, 4), P(1, 1), T("x")}),
        Undo("Dim1Continue", {horizontal()}, {T("_dim1"), T("_continue"), P(9, 0), T("")}),
        Undo("Dim1SaveNew", {}, {T("_dim1"), T("_save"), T("Plan")}),
        Undo("Dim1SaveOver",
             {{T("_dim1"), T("_save"), T("Plan")}, {T("_setvar"), T("DIMTXT"), T("1")}},
             {T("_dim1"), T("_save"), T("Plan"), T("_Yes")}),
        Undo("Dim1Restore",
             {{T("_setvar"), T("DIMTXT"), T("1")},
              {T("_dim1"), T("_save"), T("Big")},
              {T("_dim1"), T("_restore"), T("STANDARD")}},
             {T("_dim1"), T("_restore"), T("Big")}),
        Undo("DimstyleSave", {}, {T("_-dimstyle"), T("_save"), T("Other")}),
        Undo("UcsZ", {}, {T("_ucs"), T("_z"), A(30)}),
        Undo("UcsWorld", {{T("_ucs"), T("_z"), A(30)}}, {T("_ucs"), T("_w")}),
        Undo("UcsPrevious", {{T("_ucs"), T("_z"), A(30)}}, {T("_ucs"), T("_p")}),
        Undo("UcsOrigin", {}, {T("_ucs"), P(3, 4), T("")}),
        Undo("LayerMake", {}, {T("_-layer"), T("_m"), T("New1"), T("")}),
        Undo("LayerSet", {{T("_-layer"), T("_n"), T("A"), T("")}},
             {T("_-layer"), T("_s"), T("A"), T("")}),
        Undo("LayerFreezeColorOff", {{T("_-layer"), T("_n"), T("A"), T("")}},
             {T("_-layer"), T("_f"), T("A"), T("_c"), T("3"), T("A"), T("_off"), T("A"), T("_lo"),
              T("A"), T("")}),
        Undo("Line", {}, {T("_line"), P(0, 0), P(1, 0), P(1, 1), T("_c")}),
        Undo("Pline", {}, {T("_pline"), P(0, 0), P(1, 0), P(1, 1), T("_c")}),
        Undo("Circle", {}, {T("_circle"), P(2, 2), T("1.5")}),
        Undo("EraseLast", {line()}, {T("_erase"), T("_l"), T("")}),
        Undo("ErasePicked", {line(), horizontal()}, {T("_erase"), P(2, 2), T("")}),
        Undo("MoveDimension", {horizontal()}, {T("_move"), T("_l"), T(""), P(0, 0), P(1, 2)}),
        Undo("CopyDimension", {horizontal()},
             {T("_copy"), T("_l"), T(""), P(0, 0), P(1, 2), P(3, 3), T("")}),
        Undo("RotateDimension", {horizontal()},
             {T("_rotate"), T("_l"), T(""), P(0, 0), T("_c"), T("30")}),
        Undo("ScaleLine", {line()}, {T("_scale"), T("_l"), T(""), P(0, 0), T("3")}),
        Undo("MirrorDimension", {horizontal()},
             {T("_mirror"), T("_l"), T(""), P(0, 0), P(1, 1), T("_y")}),
        Undo("StretchDimension", {horizontal()},
             {T("_stretch"), T("_c"), P(3, -1), P(5, 2), T(""), P(0, 0), P(1, 0)}),
        Undo("Setvar", {}, {T("_setvar"), T("DIMASZ"), T("0.2")}),
        Undo("SetvarLayer", {{T("_-layer"), T("_n"), T("A"), T("")}},
             {T("_setvar"), T("CLAYER"), T("A")})),
    [](const ::testing::TestParamInfo<UndoCase>& info) { return info.param.name; });

using UndoTest = HostFixture;

TEST_F(UndoTest, AGroupOfSeveralCommandsUndoesAsOne) {
  ASSERT_EQ(run(line()), kRtNorm);
  const Snapshot before(host_);
  ASSERT_EQ(run({T("_undo"), T("_begin")}), kRtNorm);
  EXPECT_NE(host_.get_var("UNDOCTL")->i & UndoSteps::kGroupOpen, 0);
  ASSERT_EQ(run(horizontal()), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(0, 0), T("1")}), kRtNorm);
  ASSERT_EQ(run({T("_-layer"), T("_m"), T("G"), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_undo"), T("_end")}), kRtNorm);
  EXPECT_EQ(host_.get_var("UNDOCTL")->i & UndoSteps::kGroupOpen, 0);
  ASSERT_EQ(run({T("_u")}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  EXPECT_EQ(live_entities("LINE").size(), 1u);
}

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

TEST_F(UndoTest, UndoControlBitsFollowTheOptions) {
  EXPECT_EQ(host_.get_var("UNDOCTL")->i, 53);
  ASSERT_EQ(run({T("_undo"), T("_auto"), T("_off")}), kRtNorm);
  EXPECT_EQ(host_.get_var("UNDOCTL")->i, 49);
  ASSERT_EQ(run({T("_undo"), T("_group")}), kRtNorm);
  EXPECT_EQ(host_.get_var("UNDOCTL")->i, 57);
  ASSERT_EQ(run({T("_undo"), T("_end")}), kRtNorm);
  ASSERT_EQ(run({T("_undo"), T("_control"), T("_one")}), kRtNorm);
  EXPECT_EQ(host_.get_var("UNDOCTL")->i, 51);
  ASSERT_EQ(run({T("_undo"), T("_control"), T("_none")}), kRtNorm);
  EXPECT_EQ(host_.get_var("UNDOCTL")->i & UndoSteps::kEnabled, 0);
  // With undo off, UNDO offers only Control.
  ASSERT_EQ(run({T("_undo"), T("_all")}), kRtNorm);
  EXPECT_EQ(host_.get_var("UNDOCTL")->i, 49);
}

TEST_F(UndoTest, NumberUndoesThatManyCommands) {
  const Snapshot before(host_);
  ASSERT_EQ(run(line()), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(0, 0), T("1")}), kRtNorm);
  const Snapshot after_two(host_);
  ASSERT_EQ(run(horizontal()), kRtNorm);
  ASSERT_EQ(run({T("_undo"), T("1")}), kRtNorm);
  EXPECT_EQ(after_two.diff(Snapshot(host_)), "");
  ASSERT_EQ(run({T("_undo"), T("5")}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
}

// Back stops at the mark and takes it; without one it asks, then undoes everything.
TEST_F(UndoTest, BackStopsAtTheMarkAndWithoutOneUndoesEverything) {
  const Snapshot empty(host_);
  ASSERT_EQ(run(line()), kRtNorm);
  const Snapshot marked(host_);
  ASSERT_EQ(run({T("_undo"), T("_mark")}), kRtNorm);
  ASSERT_EQ(run(horizontal()), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(0, 0), T("1")}), kRtNorm);
  ASSERT_EQ(run({T("_undo"), T("_back")}), kRtNorm);
  EXPECT_EQ(marked.diff(Snapshot(host_)), "");
  ASSERT_EQ(run({T("_undo"), T("_back"), T("_no")}), kRtNorm);
  EXPECT_EQ(marked.diff(Snapshot(host_)), "");
  ASSERT_EQ(run({T("_undo"), T("_back"), T("")}), kRtNorm);
  EXPECT_EQ(empty.diff(Snapshot(host_)), "");
}

TEST_F(UndoTest, UndoInsideLineTakesBackTheLastSegment) {
  ASSERT_EQ(run({T("_line"), P(0, 0), P(1, 0), P(2, 0), T("_u"), P(3, 3), T("")}), kRtNorm);
  const std::vector<RecordId> lines = live_entities("LINE");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(db().record(lines[1]).point(10), (Vec3{1, 0, 0}));
  EXPECT_EQ(db().record(lines[1]).point(11), (Vec3{3, 3, 0}));
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

TEST_F(UndoTest, RedoTakesBackTheWholeUndoRightAfterItOnly) {
  const Snapshot empty(host_);
  ASSERT_EQ(run(line()), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(0, 0), T("1")}), kRtNorm);
  ASSERT_EQ(run(horizontal()), kRtNorm);
  const Snapshot three(host_);
  ASSERT_EQ(run({T("_undo"), T("3")}), kRtNorm);
  EXPECT_EQ(empty.diff(Snapshot(host_)), "");
  host_.transcript().clear();
  ASSERT_EQ(run({T("_redo")}), kRtNorm);
  EXPECT_EQ(three.diff(Snapshot(host_)), "");
  EXPECT_NE(host_.transcript().text().find("LINE CIRCLE DIM1"), std::string::npos)
      << host_.transcript().text();
  // Once only, and the steps are there to undo again one by one.
  ASSERT_EQ(run({T("_redo")}), kRtNorm);
  EXPECT_NE(host_.transcript().text().find("REDO must immediately follow U or UNDO."),
            std::string::npos);
  EXPECT_EQ(three.diff(Snapshot(host_)), "");
  ASSERT_EQ(run({T("_u")}), kRtNorm);
  EXPECT_EQ(live_entities("DIMENSION").size(), 0u);
  EXPECT_EQ(live_entities("CIRCLE").size(), 1u);
  // Another command in between: nothing to redo, not even after one that changed nothing.
  const Snapshot two(host_);
  ASSERT_EQ(run({T("_list"), T("_l"), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_redo")}), kRtNorm);
  EXPECT_EQ(two.diff(Snapshot(host_)), "");
  ASSERT_EQ(run({T("_u")}), kRtNorm);
  ASSERT_EQ(run({T("_circle"), P(5, 5), T("2")}), kRtNorm);
  ASSERT_EQ(run({T("_redo")}), kRtNorm);
  EXPECT_EQ(live_entities("CIRCLE").size(), 1u);
  EXPECT_EQ(live_entities("LINE").size(), 1u);
}

}  // namespace
}  // namespace cad::testing
