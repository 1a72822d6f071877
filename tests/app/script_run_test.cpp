// The batch contract of dulk: a script from a file or from standard input, and the exit status
// and the diagnosis of a script that fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "tests/app/dulk_run.h"
#include "tests/support/case_file.h"

namespace dulk::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The cases of script_cases.txt of a kind.
std::vector<cad::testing::CaseLine> cases_of(const std::string& kind) {
  std::vector<cad::testing::CaseLine> out;
  for (const cad::testing::CaseLine& c : cad::testing::read_cases("app/script_cases.txt"))
    if (c.fields.at(0) == kind) out.push_back(c);
  EXPECT_FALSE(out.empty()) << kind;
  return out;
}

TEST(ScriptExitStatus, FailingScriptExitsOneNamingItsLineAndWritesNothing) {
  for (const cad::testing::CaseLine& c : cases_of("failing")) {
    SCOPED_TRACE(c.where);
    ASSERT_GE(c.fields.size(), 6u);
    ScratchFolder folder{{"job.scr", script_of(c, 5)}};
    DulkRun run =
        run_dulk(folder, "--no-module -s job.scr -o out.dxf --svg out.svg " + c.fields[1]);
    const int status = std::stoi(c.fields[2]);
    EXPECT_EQ(run.status, status);
    EXPECT_THAT(run.err, HasSubstr(c.fields[3]));
    EXPECT_THAT(run.out, HasSubstr(c.fields[4]));
    if (status == 0) {
      EXPECT_EQ(run.err.empty(), c.fields[3].empty()) << run.err;
      EXPECT_EQ(count_entities(folder / "out.dxf", "LINE"), 0u);
      EXPECT_EQ(count_entities(folder / "out.dxf", "DIMENSION"), 0u);
      continue;
    }
    EXPECT_FALSE(folder.read("out.dxf").has_value());
    EXPECT_FALSE(folder.read("out.svg").has_value());
    EXPECT_THAT(run.err, HasSubstr("dulk: the script failed; nothing written\n"));
    // A quiet run shows nothing.
    EXPECT_TRUE(c.fields[1].empty() || run.out.empty()) << run.out;
  }
}

TEST(StandardInput, ScriptComesFromAPipeWhenNoScriptIsNamed) {
  ScratchFolder folder;
  FILE* pipe = popen(dulk_command(folder, "--no-module -o piped.dxf >/dev/null 2>&1").c_str(), "w");
  ASSERT_NE(pipe, nullptr);
  fputs(kLineScript, pipe);
  const int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(lines_in(folder / "piped.dxf"), "0,0,0 1,1,0\n");
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
  for (const cad::testing::CaseLine& c : cases_of("mistake")) {
    SCOPED_TRACE(c.where);
    ASSERT_EQ(c.fields.size(), 3u);
    DulkRun run = run_dulk(folder, c.fields[1]);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("dulk: ", 0), 0u);
    EXPECT_THAT(run.err, HasSubstr(c.fields[2]));
    EXPECT_THAT(run.err, HasSubstr("usage: dulk"));
    EXPECT_THAT(run.out, Not(HasSubstr("Command:")));
  }
}

TEST(Quitting, QuitAsksAboutUnsavedChangesAndTheScriptAnswers) {
  const std::string kQuestion = "Save changes to plan.dxf? [Yes/No/Cancel] <Yes>: ";
  for (const cad::testing::CaseLine& c : cases_of("quit")) {
    SCOPED_TRACE(c.where);
    ASSERT_GE(c.fields.size(), 7u);
    ScratchFolder folder{{"plan.dxf", kDrawing}, {"job.scr", script_of(c, 6)}};
    DulkRun run = run_dulk(folder, "--no-module plan.dxf -s job.scr -o out.dxf");
    const int status = std::stoi(c.fields[1]);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(run.out.find(kQuestion) != std::string::npos, c.fields[2] == "yes") << run.out;
    EXPECT_THAT(run.out, HasSubstr(c.fields[5]));
    EXPECT_EQ(count_entities(folder / "plan.dxf", "LINE"), std::stoul(c.fields[3]));
    if (status == 0) {
      EXPECT_EQ(count_entities(folder / "out.dxf", "LINE"), std::stoul(c.fields[4]));
    }
  }
}

// A new drawing has no file yet: QUIT's question names the host's default, and Yes asks for a name.
TEST(Quitting, NewDrawingAsksForANameWhenSaved) {
  ScratchFolder folder{{"job.scr", std::string(kLineScript) + "QUIT\nY\ndrawn.dxf\n"}};
  DulkRun run = run_dulk(folder, "--no-module -s job.scr");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Save changes to Drawing1.dxf? [Yes/No/Cancel] <Yes>: Y\n"
                                 "Save drawing as: drawn.dxf\nSaved drawn.dxf"));
  EXPECT_EQ(count_entities(folder / "drawn.dxf", "LINE"), 1u);
}

TEST(FailOption, EventThatNeverHappensIsReportedWithTheCount) {
  ScratchFolder folder;
  DulkRun run = run_dulk(folder, "--no-module --fail creation:2", "DIM1\nHOR\n0,0\n10,0\n5,3\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("--fail creation:2: it never happened; the commands made 1 such"));
}

}  // namespace
}  // namespace dulk::testing
