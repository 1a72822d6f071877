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

TEST(ScriptExitStatus, UnknownCommandFailsNamingItsLineAndWritesNothing) {
  ScratchFolder folder;
  folder.write("job.scr", std::string(kLineScript) + "; a comment\nFROBNICATE\n");
  DulkRun run = run_dulk(folder, "--no-module -s job.scr -o out.dxf --svg out.svg");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.out, HasSubstr("Unknown command \"FROBNICATE\""));
  EXPECT_THAT(run.err, HasSubstr("job.scr: line 6: unknown command \"FROBNICATE\""));
  EXPECT_FALSE(folder.read("out.dxf").has_value());
  EXPECT_FALSE(folder.read("out.svg").has_value());
}

TEST(ScriptExitStatus, RefusedReplyFailsNamingItsLine) {
  ScratchFolder folder;
  folder.write("job.scr", "LINE\n0,0\nsomewhere\n1,1\n\n");
  DulkRun run = run_dulk(folder, "--no-module -s job.scr");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("job.scr: line 3: reply \"somewhere\" refused"));
}

TEST(ScriptExitStatus, ScriptEndingInsideACommandFailsAndCancelsIt) {
  ScratchFolder folder;
  folder.write("job.scr", "LINE\n0,0\n1,1\n");
  DulkRun run = run_dulk(folder, "--no-module -s job.scr");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("job.scr: line 3: the script ended inside command LINE"));
}

TEST(ScriptExitStatus, CancelledCommandIsNoFailure) {
  ScratchFolder folder;
  folder.write("job.scr", "LINE\n0,0\n^C\n");
  DulkRun run = run_dulk(folder, "--no-module -s job.scr -o out.dxf");
  EXPECT_EQ(run.status, 0) << run.err;
  auto lines = lines_in(folder / "out.dxf");
  ASSERT_TRUE(lines.has_value());
  EXPECT_TRUE(lines->empty());
}

TEST(ScriptExitStatus, QuietRunStillNamesTheFailingLine) {
  ScratchFolder folder;
  folder.write("job.scr", "LINE\n0,0\n1,1\n\nNOSUCH\n");
  DulkRun run = run_dulk(folder, "--no-module --quiet -s job.scr");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_THAT(run.err, HasSubstr("line 5: unknown command \"NOSUCH\""));
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
