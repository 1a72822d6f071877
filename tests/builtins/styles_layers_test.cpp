// Dimension styles through DIM1 SAVE/RESTORE and SETVAR (the "*UNNAMED" rule), and -LAYER.
#include "cad/base/utf8.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

using StyleTest = HostFixture;
using LayerTest = HostFixture;

TEST_F(StyleTest, SaveMakesTheStyleCurrent) {
  ASSERT_EQ(run({T("_dim1"), T("_save"), T("Plan")}), kRtNorm);
  EXPECT_NE(db().table_entry("DIMSTYLE", "PLAN"), kNoRecord);
  EXPECT_EQ(var_text("DIMSTYLE"), "Plan");
}

TEST_F(StyleTest, SavingAnExistingNameAsksAndOnlyYesRedefines) {
  ASSERT_EQ(run({T("_dim1"), T("_save"), T("Plan")}), kRtNorm);
  const RecordId entry = db().table_entry("DIMSTYLE", "Plan");
  ASSERT_TRUE(set_variable(host_, "DIMASZ", VarValue::real(0.3)));
  EXPECT_EQ(var_text("DIMSTYLE"), "*UNNAMED");

  ASSERT_EQ(run({T("_dim1"), T("_save"), T("Plan"), T("_No")}), kRtNorm);
  EXPECT_DOUBLE_EQ(db().record(entry).real(41), 0.05);
  EXPECT_EQ(var_text("DIMSTYLE"), "*UNNAMED");
  // The question must be answered: a token list that stops there changes nothing.
  EXPECT_NE(run({T("_dim1"), T("_save"), T("Plan")}), kRtNorm);
  EXPECT_DOUBLE_EQ(db().record(entry).real(41), 0.05);

  ASSERT_EQ(run({T("_dim1"), T("_save"), T("PLAN"), T("_Yes")}), kRtNorm);
  EXPECT_EQ(db().table_entry("DIMSTYLE", "Plan"), entry);
  EXPECT_DOUBLE_EQ(db().record(entry).real(41), 0.3);
  EXPECT_EQ(var_text("DIMSTYLE"), "Plan");
}

TEST_F(StyleTest, RestoreMakesEveryVariableTheStyles) {
  ASSERT_TRUE(set_variable(host_, "DIMTXT", VarValue::real(0.5)));
  ASSERT_TRUE(set_variable(host_, "DIMTSZ", VarValue::real(0)));
  ASSERT_EQ(run({T("_dim1"), T("_save"), T("Big")}), kRtNorm);
  ASSERT_EQ(run({T("_dim1"), T("_restore"), T("standard")}), kRtNorm);
  EXPECT_EQ(var_text("DIMSTYLE"), "STANDARD");
  EXPECT_DOUBLE_EQ(host_.get_var("DIMTXT")->r, 0.08);
  EXPECT_DOUBLE_EQ(host_.get_var("DIMTSZ")->r, 0.05);

  ASSERT_EQ(run({T("_dim1"), T("_restore"), T("Big")}), kRtNorm);
  EXPECT_EQ(var_text("DIMSTYLE"), "Big");
  EXPECT_DOUBLE_EQ(host_.get_var("DIMTXT")->r, 0.5);
  // A dimension drawn now uses the restored style's name and arrows.
  ASSERT_EQ(run({T("_dim1"), T("_hori"), P(0, 0), P(1, 0), P(0, 1), T("")}), kRtNorm);
  EXPECT_EQ(db().record(last_entity()).text(3), "Big");
}

TEST_F(StyleTest, RestoringAMissingStyleChangesNothing) {
  const Snapshot before(host_);
  EXPECT_EQ(run({T("_dim1"), T("_restore"), T("Nowhere")}), kRtNorm);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
}

TEST_F(StyleTest, SetvarAwayFromTheStyleLeavesItUnnamed) {
  ASSERT_EQ(run({T("_setvar"), T("DIMASZ"), T("0.05")}), kRtNorm);
  EXPECT_EQ(var_text("DIMSTYLE"), "STANDARD");
  ASSERT_EQ(run({T("_setvar"), T("DIMASZ"), T("0.07")}), kRtNorm);
  EXPECT_EQ(var_text("DIMSTYLE"), "*UNNAMED");
  EXPECT_DOUBLE_EQ(host_.get_var("DIMASZ")->r, 0.07);
  // What the module's command bracket does with an unnamed style.
  ASSERT_EQ(run({T("_dim1"), T("_save"), T("STANDARD"), T("_Yes")}), kRtNorm);
  EXPECT_EQ(var_text("DIMSTYLE"), "STANDARD");
}

TEST_F(StyleTest, SetvarRefusesWhatTheVariableCannotHold) {
  EXPECT_FALSE(set_variable(host_, "DIMSTYLE", VarValue::text("X")));
  EXPECT_FALSE(set_variable(host_, "NOSUCHVAR", VarValue::integer(1)));
  EXPECT_FALSE(set_variable(host_, "CLAYER", VarValue::text("missing")));
  EXPECT_TRUE(set_variable(host_, "clayer", VarValue::text("defpoints")));
  EXPECT_EQ(var_text("CLAYER"), "DEFPOINTS");
}

TEST_F(StyleTest, StylesAreListedByName) {
  ASSERT_EQ(run({T("_dim1"), T("_save"), T("Plan")}), kRtNorm);
  host_.transcript().clear();
  ASSERT_EQ(run({T("_dimstyles")}), kRtNorm);
  EXPECT_NE(host_.transcript().text().find("  Plan"), std::string::npos);
  EXPECT_NE(host_.transcript().text().find("  STANDARD"), std::string::npos);
}

// Names the host refuses for a new layer or dimension style: more than 255 characters, one of
// < > / \ " : ; ? * | = `, or bytes that are no UTF-8. Each command says so and changes nothing;
// 255 characters, however many bytes they take, are a name.
TEST_F(LayerTest, NamesTheHostRefusesChangeNothingWhereverTheyAreGiven) {
  std::string umlauts;
  for (int k = 0; k < 255; ++k) umlauts += "\u00e4";
  std::vector<std::string> refused = {std::string(256, 'A'), std::string(100000, 'L'), "Bad\xC3(",
                                      "Half\xED\xA0\x80", "\xC0\xAF"};
  for (char c : std::string("<>/\\\":;?*|=`")) refused.push_back(std::string("A") + c + "B");
  struct Command {
    std::vector<Reply> (*tokens)(const std::string& name);
    const char* message;
  };
  const Command commands[] = {
      {[](const std::string& name) {
         return std::vector<Reply>{T("_-layer"), T("_new"), T(name), T("")};
       },
       "Invalid layer name \""},
      {[](const std::string& name) {
         return std::vector<Reply>{T("_-layer"), T("_make"), T(name), T("")};
       },
       "Invalid layer name \""},
      {[](const std::string& name) {
         return std::vector<Reply>{T("_dim1"), T("_save"), T(name)};
       },
       "Invalid dimension style name \""},
      {[](const std::string& name) {
         return std::vector<Reply>{T("-dimstyle"), T("_save"), T(name)};
       },
       "Invalid dimension style name \""},
  };
  for (const Command& command : commands) {
    for (const std::string& name : refused) {
      SCOPED_TRACE(command.message + name.substr(0, 20));
      const Snapshot before(host_);
      host_.transcript().clear();
      ASSERT_EQ(run(command.tokens(name)), kRtNorm);
      EXPECT_EQ(before.diff(Snapshot(host_)), "");
      const std::string& text = host_.transcript().text();
      const size_t at = text.find(command.message);
      ASSERT_NE(at, std::string::npos) << text.substr(0, 300);
      // The message shows a long name cut short and no byte that is no UTF-8.
      const std::string message = text.substr(at, text.find('\n', at) - at);
      EXPECT_LT(message.size(), 100u) << message;
      EXPECT_TRUE(valid_utf8(message)) << message;
    }
  }
  ASSERT_EQ(run(commands[0].tokens(umlauts)), kRtNorm);
  EXPECT_NE(db().table_entry("LAYER", umlauts), kNoRecord);
  ASSERT_EQ(run(commands[2].tokens(umlauts)), kRtNorm);
  EXPECT_NE(db().table_entry("DIMSTYLE", umlauts), kNoRecord);
}

TEST_F(LayerTest, MakeCreatesAndSetsTheLayer) {
  ASSERT_EQ(run({T("_-layer"), T("_make"), T("Walls"), T("")}), kRtNorm);
  EXPECT_NE(db().table_entry("LAYER", "WALLS"), kNoRecord);
  EXPECT_EQ(var_text("CLAYER"), "Walls");
  ASSERT_EQ(run({T("_line"), P(0, 0), P(1, 1), T("")}), kRtNorm);
  EXPECT_EQ(db().record(last_entity()).text(8), "Walls");
}

TEST_F(LayerTest, SetAsTheModuleScriptsIt) {
  ASSERT_EQ(run({T("_-layer"), T("_new"), T("A,B"), T("")}), kRtNorm);
  ASSERT_EQ(run({T("_-layer"), T("_set"), T("b"), T("")}), kRtNorm);
  EXPECT_EQ(var_text("CLAYER"), "B");
}

TEST_F(LayerTest, SetRefusesFrozenAndMissingLayers) {
  ASSERT_EQ(run({T("_-layer"), T("_new"), T("Cold"), T("_freeze"), T("Cold"), T("")}), kRtNorm);
  ASSERT_NE(db().record(db().table_entry("LAYER", "Cold")).integer(70) & 1, 0);
  host_.transcript().clear();
  ASSERT_EQ(run({T("_-layer"), T("_set"), T("Cold"), T("")}), kRtNorm);
  EXPECT_EQ(var_text("CLAYER"), "0");
  EXPECT_NE(host_.transcript().text().find("frozen"), std::string::npos);
  ASSERT_EQ(run({T("_-layer"), T("_set"), T("Nowhere"), T("")}), kRtNorm);
  EXPECT_EQ(var_text("CLAYER"), "0");
  ASSERT_EQ(run({T("_-layer"), T("_thaw"), T("Cold"), T("_set"), T("Cold"), T("")}), kRtNorm);
  EXPECT_EQ(var_text("CLAYER"), "Cold");
}

TEST_F(LayerTest, MessagesOfScriptedCommandsFollowCmdecho) {
  ASSERT_TRUE(set_variable(host_, "CMDECHO", VarValue::integer(0)));
  ASSERT_EQ(run({T("_-layer"), T("_set"), T("Nowhere"), T("")}), kRtNorm);
  EXPECT_EQ(host_.transcript().text().find("Cannot find"), std::string::npos);
  ASSERT_TRUE(set_variable(host_, "CMDECHO", VarValue::integer(1)));
  ASSERT_EQ(run({T("_-layer"), T("_set"), T("Nowhere"), T("")}), kRtNorm);
  EXPECT_NE(host_.transcript().text().find("Cannot find layer \"Nowhere\"."), std::string::npos);
}

TEST_F(LayerTest, TheCurrentLayerCannotBeFrozen) {
  ASSERT_EQ(run({T("_-layer"), T("_freeze"), T("0"), T("")}), kRtNorm);
  EXPECT_EQ(db().record(db().table_entry("LAYER", "0")).integer(70) & 1, 0);
}

TEST_F(LayerTest, OffColorAndSetTurnsBackOn) {
  ASSERT_EQ(run({T("_-layer"), T("_new"), T("Dim"), T("_color"), T("red"), T("Dim"), T("_off"),
                 T("D*"), T("")}),
            kRtNorm);
  const RecordId dim = db().table_entry("LAYER", "Dim");
  EXPECT_EQ(db().record(dim).integer(62), -1);
  EXPECT_EQ(db().record(db().table_entry("LAYER", "DEFPOINTS")).integer(62), -7);
  ASSERT_EQ(run({T("_-layer"), T("_set"), T("Dim"), T("")}), kRtNorm);
  EXPECT_EQ(db().record(dim).integer(62), 1);
}

TEST_F(LayerTest, PersonEndsTheOptionsWithEnter) {
  EXPECT_EQ(type("-layer\nm\nRoof\n\nline\n0,0\n2,0\n\n"), 0);
  EXPECT_EQ(var_text("CLAYER"), "Roof");
  EXPECT_EQ(db().record(last_entity()).text(8), "Roof");
}

}  // namespace
}  // namespace cad::testing
