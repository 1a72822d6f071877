// The batch contract of dulk: a script from a file or from standard input, and the exit status
// and the diagnosis of a script that fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/app/dulk_run.h"

namespace dulk::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(ScriptExitStatus, CompletedScriptExitsZeroAndSavesWhatItDrew) {
  ScratchFolder folder;
  folder.write("job.scr", kLineScript);
  DulkRun run = run_dulk(folder, "--no-module -s job.scr -o out.dxf");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_THAT(run.out, HasSubstr("Specify first point: 0,0"));
  auto lines = lines_in(folder / "out.dxf");
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 1u);
  EXPECT_EQ((*lines)[0].from, (cad::Vec3{0, 0, 0}));
  EXPECT_EQ((*lines)[0].to, (cad::Vec3{1, 1, 0}));
}

// A script that fails exits 1 naming its file, the line and what went wrong, in a quiet run too,
// and writes nothing; a cancelled command is no failure.
TEST(ScriptExitStatus, FailingScriptExitsOneNamingItsLineAndWritesNothing) {
  const struct {
    std::string script;
    const char* options;
    int status;
    const char* diagnosis;
    const char* shown = "";
  } cases[] = {
      {std::string(kLineScript) + "; a comment\nFROBNICATE\n", "", 1,
       "job.scr: line 6: unknown command \"FROBNICATE\"", "Unknown command \"FROBNICATE\""},
      {"LINE\n0,0\nsomewhere\n1,1\n\n", "", 1, "job.scr: line 3: reply \"somewhere\" refused"},
      {"LINE\n0,0\n1,1\n", "", 1, "job.scr: line 3: the script ended inside command LINE"},
      {"LINE\n0,0\n1,1\n\nNOSUCH\n", "--quiet", 1, "job.scr: line 5: unknown command \"NOSUCH\""},
      {"LINE\n0,0\n^C\n", "", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    ScratchFolder folder;
    folder.write("job.scr", c.script);
    DulkRun run = run_dulk(
        folder, std::string("--no-module -s job.scr -o out.dxf --svg out.svg ") + c.options);
    EXPECT_EQ(run.status, c.status);
    EXPECT_THAT(run.err, HasSubstr(c.diagnosis));
    // The transcript shows the host's answer; a quiet run shows nothing.
    EXPECT_THAT(run.out, HasSubstr(c.shown));
    if (c.status == 0) {
      EXPECT_EQ(lines_in(folder / "out.dxf").value_or(std::vector<Segment>{{}}).size(), 0u);
      continue;
    }
    EXPECT_FALSE(folder.read("out.dxf").has_value());
    EXPECT_FALSE(folder.read("out.svg").has_value());
    if (*c.options) {
      EXPECT_EQ(run.out, "");
    }
  }
}

TEST(StandardInput, ScriptComesFromAPipeWhenNoScriptIsNamed) {
  ScratchFolder folder;
  const std::string command = "cd " + shell_word(folder.path().string()) + " && " +
                              shell_word(dulk_binary()) +
                              " --no-module -o piped.dxf >/dev/null 2>&1";
  FILE* pipe = popen(command.c_str(), "w");
  ASSERT_NE(pipe, nullptr);
  fputs(kLineScript, pipe);
  const int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  auto lines = lines_in(folder / "piped.dxf");
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(lines->size(), 1u);
}

TEST(StandardInput, FailureInStandardInputIsNamedWithItsLine) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "--no-module", "\nLINE\n0,0\n1,1\n\nNOSUCH\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("<stdin>: line 6: unknown command \"NOSUCH\""));
}

TEST(CommandLine, HelpAndVersionExitZero) {
  ScratchFolder folder;
  DulkRun help = run_dulk(folder, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("usage: dulk"));
  DulkRun version = run_dulk(folder, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_THAT(version.out, ::testing::MatchesRegex("dulk [0-9]+\\.[0-9]+\\.[0-9]+\n"));
}

TEST(CommandLine, MistakesExitTwoWithTheUsage) {
  ScratchFolder folder;
  const std::pair<const char*, const char*> cases[] = {
      {"--frobnicate", "unknown option --frobnicate"},
      {"-s", "option -s needs a value"},
      {"a.dxf b.dxf", "more than one drawing given"},
      {"--load x.arx --no-module", "exclude each other"},
      {"--fail creation", ""},
      {"--fail change:0", ""},
      {"--fail memory:1", ""},
      // An empty name would be taken for no file at all.
      {"''", "the drawing's name is empty"},
      {"-s ''", "option -s needs a file name, got an empty one"},
      {"-o ''", "option -o needs a file name, got an empty one"},
      {"--svg ''", "option --svg needs a file name, got an empty one"},
      {"--png ''", "option --png needs a file name, got an empty one"},
      {"--load ''", "option --load needs a file name, got an empty one"},
      {"--view 0,0,1", "--view expects four numbers x1,y1,x2,y2, got '0,0,1'"},
      {"--view nan,0,1,1", "--view expects finite numbers, got 'nan,0,1,1'"},
      {"--view 0,0,inf,1", "--view expects finite numbers"},
      {"--view 0,-1e308,1,1e308", "--view expects finite numbers"},
      {"--view 0,0,0,1", "--view expects a window of some width and height, got '0,0,0,1'"},
      {"--view 0,5,1,5", "--view expects a window of some width and height"},
  };
  for (const auto& [args, message] : cases) {
    DulkRun run = run_dulk(folder, args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.err.rfind("dulk: ", 0), 0u) << args;
    EXPECT_THAT(run.err, HasSubstr(message)) << args;
    EXPECT_THAT(run.err, HasSubstr("usage: dulk")) << args;
    EXPECT_THAT(run.out, Not(HasSubstr("Command:"))) << args;
  }
}

// QUIT with unsaved changes asks, and the script's next line answers; unchanged, it just leaves.
// The answer decides the drawing's file only: -o is still the run's own output of the drawing.
TEST(Quitting, QuitAsksAboutUnsavedChangesAndTheScriptAnswers) {
  const std::string kQuestion = "Save changes to plan.dxf? [Yes/No/Cancel] <Yes>: ";
  struct Case {
    const char* script;
    int status;
    bool asked;
    size_t saved_lines;   // the LINEs plan.dxf holds after (1: as it was)
    size_t output_lines;  // and out.dxf, when the script did not fail
    const char* transcript;
  };
  const Case cases[] = {
      {"QUIT\nLINE\n", 0, false, 1, 1, "Command: QUIT"},
      {"LINE\n0,0\n1,1\n\nU\nQUIT\n", 0, false, 1, 1, ""},
      {"SETVAR\nCMDECHO\n0\nSETVAR\nDBMOD\nQUIT\n", 0, false, 1, 1, "DBMOD = 0 (read only)"},
      {"LINE\n0,0\n1,1\n\nSETVAR\nDBMOD\nQUIT\nN\nLINE\n", 0, true, 1, 2, "DBMOD = 1 (read only)"},
      {"LINE\n0,0\n1,1\n\nQUIT\n\n", 0, true, 2, 2, "Saved plan.dxf"},
      {"LINE\n0,0\n1,1\n\nQUIT\nyes\n", 0, true, 2, 2, "Saved plan.dxf"},
      {"LINE\n0,0\n1,1\n\nQUIT\nC\nLINE\n2,2\n3,3\n\nQSAVE\nQUIT\n", 0, true, 3, 3,
       "Saved plan.dxf"},
      {"LINE\n0,0\n1,1\n\nQUIT\n^C\nQUIT\nNo\n", 0, true, 1, 2, "*Cancel*"},
      {"LINE\n0,0\n1,1\n\nQUIT\n", 1, true, 1, 0, "line 5: the script ended inside command QUIT"},
      {"LINE\n0,0\n1,1\n\nQUIT\nmaybe\nN\n", 1, true, 1, 0, "line 6: reply \"maybe\" refused"},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    folder.write("plan.dxf", kDrawing);
    folder.write("job.scr", c.script);
    DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr -o out.dxf");
    EXPECT_EQ(run.status, c.status) << c.script << run.err;
    EXPECT_EQ(run.out.find(kQuestion) != std::string::npos, c.asked) << c.script << run.out;
    EXPECT_THAT(run.out, HasSubstr(c.transcript)) << c.script;
    EXPECT_EQ(lines_in(folder / "plan.dxf").value_or(std::vector<Segment>{}).size(), c.saved_lines)
        << c.script;
    if (c.status == 0) {
      EXPECT_EQ(count_entities(folder / "out.dxf", "LINE"), c.output_lines) << c.script;
    }
  }
}

// A new drawing has no file yet: QUIT's question names the host's default, and Yes asks for a name.
TEST(Quitting, NewDrawingAsksForANameWhenSaved) {
  ScratchFolder folder;
  folder.write("job.scr", std::string(kLineScript) + "QUIT\nY\ndrawn.dxf\n");
  DulkRun run = run_dulk(folder, "--no-module -s job.scr");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Save changes to Drawing1.dxf? [Yes/No/Cancel] <Yes>: Y\n"
                                 "Save drawing as: drawn.dxf\nSaved drawn.dxf"));
  EXPECT_EQ(count_entities(folder / "drawn.dxf", "LINE"), 1u);
}

TEST(FailOption, ArmedCreationFailsTheHostsDimensionAndTheCommandLeavesNothing) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "--no-module --fail creation:1 -o out.dxf",
                         "DIM1\nHOR\n0,0\n10,0\n5,3\n\nLINE\n0,0\n1,1\n\n");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("Cannot create the dimension."));
  EXPECT_EQ(run.err, "");
  const std::optional<std::string> saved = folder.read("out.dxf");
  ASSERT_TRUE(saved);
  EXPECT_THAT(*saved, Not(HasSubstr("DIMENSION")));
  EXPECT_EQ(lines_in(folder / "out.dxf")->size(), 1u);
}

TEST(FailOption, EventThatNeverHappensIsReportedWithTheCount) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "--no-module --fail creation:2", "DIM1\nHOR\n0,0\n10,0\n5,3\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("--fail creation:2: it never happened; the commands made 1 such"));
}

}  // namespace
}  // namespace dulk::testing
