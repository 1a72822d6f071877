// The command runner: commands run from the command line and scripted through acedCommandS and
// acedCmdS, what happens when they end early, and the command loop over a script.
#include <cmath>
#include <cstdio>
#include <iterator>

#include "cad/ads/undo.h"
#include "cad/input/prompter.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"
#include "tests/support/terminal.h"

namespace cad::testing {
namespace {

class CommandRunnerTest : public HostFixture {
 protected:
  CommandRunnerTest() {
    // LINEPT: asks two points and draws a line between them.
    add_command("LINEPT", [] {
      ads_point a, b;
      if (acedGetPoint(nullptr, L"\nFirst: ", a) != RTNORM) return;
      if (acedGetPoint(a, L"\nSecond: ", b) != RTNORM) return;
      RbList list(acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, 0));
      acdbEntMake(list.get());
    });
    // WORK: changes the drawing in every way the journal knows, then aborts when told to.
    add_command("WORK", [this] {
      make_line(0, 0, 1, 1, L"NEWLAYER");
      acdbRegApp(L"WORKAPP");
      set_var(L"DIMASZ", rb_real(7.5));
      ads_name first;
      if (acdbEntNext(nullptr, first) == RTNORM) acdbEntDel(first);
      if (abort_work_) acrx_abort(L"\n%s: abgebrochen", L"WORK");
    });
  }

  bool abort_work_ = false;
};

TEST_F(CommandRunnerTest, CommandsAreFoundByLocalAndGlobalNameInAnyCase) {
  CommandDef def;
  def.group = "TEST";
  def.global_name = "GLOBAL";
  def.local_name = "LOKAL";
  int runs = 0;
  def.body = [&] { ++runs; };
  ASSERT_TRUE(host_.commands().add(def));
  EXPECT_FALSE(host_.commands().add(def)) << "a group holds a name once";
  for (const char* name : {"lokal", "_global", "Global"})
    EXPECT_EQ(host_.run_command(name), CommandResult::kDone) << name;
  EXPECT_EQ(host_.run_command("_lokal"), CommandResult::kUnknown);
  EXPECT_EQ(runs, 3);
  // A newer group's command of the same names wins until its group goes.
  CommandDef newer = def;
  newer.group = "NEWER";
  int newer_runs = 0;
  newer.body = [&] { ++newer_runs; };
  ASSERT_TRUE(host_.commands().add(newer));
  for (const char* name : {"lokal", "_global", "global"})
    EXPECT_EQ(host_.run_command(name), CommandResult::kDone) << name;
  EXPECT_EQ(newer_runs, 3);
  EXPECT_EQ(host_.commands().remove_group("newer"), 1);
  EXPECT_EQ(host_.run_command("lokal"), CommandResult::kDone);
  EXPECT_EQ(runs, 4);
  EXPECT_EQ(host_.commands().remove_group("test"), 3);  // LINEPT, WORK and this one
  EXPECT_EQ(host_.run_command("frob"), CommandResult::kUnknown);
  EXPECT_EQ(transcript(),
            "\nUnknown command \"LOKAL\".  Press F1 for help."
            "\nUnknown command \"FROB\".  Press F1 for help.");
}

TEST_F(CommandRunnerTest, AcrxAbortRollsTheCommandBackExactlyAndTheHostGoesOn) {
  make_line(5, 5, 6, 6);
  const Snapshot before(host_);
  abort_work_ = true;
  EXPECT_EQ(host_.run_command("WORK"), CommandResult::kAborted);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  EXPECT_NE(transcript().find("WORK: abgebrochen"), std::string::npos);
  EXPECT_EQ(host_.undo().size(), 0u) << "an aborted command leaves no undo step";

  abort_work_ = false;
  EXPECT_EQ(host_.run_command("WORK"), CommandResult::kDone);
  EXPECT_NE(before.diff(Snapshot(host_)), "");
  EXPECT_EQ(host_.undo().size(), 1u);
  ASSERT_TRUE(host_.undo().back_one());
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
}

TEST(AcrxAbortTest, OutsideOfAnyCommandItEndsTheProcessAsTheRealHostDoes) {
  EXPECT_EXIT(
      {
        Host host;
        host.transcript().set_output(nullptr);
        set_current_host(&host);
        acrx_abort(L"\nkaputt");
      },
      ::testing::ExitedWithCode(1), "");
}

// The log shows numbers as "%g" does, also where it switches to exponents, rounds to six digits
// or keeps a sign.
TEST_F(CommandRunnerTest, ScriptedCommandRunsToCompletionWithItsTokensAndTheLogShowsThem) {
  const double values[] = {0.1, 1e-7, 123456789.0, -0.5, 2.0 / 3.0, 1e20, -0.0, 100000.0};
  add_command("OUTER", [&] {
    ads_point a = {1, 2, 0}, b = {3, 4, 0};
    EXPECT_EQ(acedCommandS(RTSTR, L"_linept", RTPOINT, a, RT3DPOINT, b, RTNONE), RTNORM);
    for (double v : values) {
      ads_point p = {v, -v, 0};
      acedCommandS(RTSTR, L"_nosuch", RTPOINT, p, RTREAL, v, RTANG, v, RTNONE);
    }
  });
  ASSERT_EQ(host_.run_command("OUTER"), CommandResult::kDone);
  ASSERT_EQ(db().entities().size(), 1u);
  EXPECT_EQ(db().record(db().entities()[0]).point(11).y, 4);
  // The scripted command is part of the outer command's undo step.
  EXPECT_EQ(host_.undo().step_names(), (std::vector<std::string>{"OUTER"}));
  const std::vector<std::vector<std::string>> log = host_.scripted_log();
  ASSERT_EQ(log.size(), 1 + std::size(values));
  EXPECT_EQ(log[0], (std::vector<std::string>{"_linept", "1,2,0", "3,4,0"}));
  for (size_t k = 0; k < std::size(values); ++k) {
    char point[96], number[32];
    std::snprintf(point, sizeof point, "%g,%g,%g", values[k], -values[k], 0.0);
    std::snprintf(number, sizeof number, "%g", values[k]);
    EXPECT_EQ(log[k + 1], (std::vector<std::string>{"_nosuch", point, number, number}));
  }
}

TEST_F(CommandRunnerTest, ScriptedUnknownCommandOrShortListFailsWithoutChange) {
  std::vector<int> results;
  add_command("OUTER", [&] {
    make_line(9, 9, 10, 10);
    ads_point a = {1, 2, 0};
    results.push_back(acedCommandS(RTSTR, L"_nosuch", RTNONE));
    results.push_back(acedCommandS(RTSTR, L"_linept", RTPOINT, a, RTNONE));
    RbList list(acutBuildList(RTSTR, L"_linept", RTSTR, L"abc", RTSTR, L"4,4", RTSTR, L"5,5", 0));
    results.push_back(acedCmdS(list.get()));
    results.push_back(acedCommandS(RTSTR, L"_linept", RTLB, RTNONE));
    // A point token may hold what no reply can: NaN and infinity are refused all the same.
    const ads_point nan = {std::nan(""), 0, 0}, far = {HUGE_VAL, 0, 0};
    results.push_back(acedCommandS(RTSTR, L"_linept", RTPOINT, nan, RTPOINT, a, RTNONE));
    results.push_back(acedCommandS(RTSTR, L"_linept", RTPOINT, a, RT3DPOINT, far, RTNONE));
  });
  ASSERT_EQ(host_.run_command("OUTER"), CommandResult::kDone);
  EXPECT_EQ(results, (std::vector<int>{RTERROR, RTERROR, RTERROR, RTERROR, RTERROR, RTERROR}));
  EXPECT_EQ(db().entities().size(), 1u) << "only the outer command's own line";
  EXPECT_NE(transcript().find("Point or option keyword required."), std::string::npos);
}

TEST_F(CommandRunnerTest, ScriptedCommandKeepsQuietWhileCmdechoIsOffAndIsAStepAtTheCommandLine) {
  add_command("OUTER", [] {
    set_short(L"CMDECHO", 0);
    ads_point a = {0, 0, 0}, b = {1, 0, 0};
    acedCommandS(RTSTR, L"_linept", RTPOINT, a, RTPOINT, b, RTNONE);
  });
  ASSERT_EQ(host_.run_command("OUTER"), CommandResult::kDone);
  EXPECT_EQ(transcript().find("First"), std::string::npos);
  set_short(L"CMDECHO", 1);
  ads_point a = {0, 0, 0}, b = {1, 0, 0};
  ASSERT_EQ(acedCommandS(RTSTR, L"_linept", RTPOINT, a, RTPOINT, b, RTNONE), RTNORM);
  EXPECT_NE(transcript().find("Command: _linept"), std::string::npos);
  EXPECT_NE(transcript().find("First: 0,0"), std::string::npos);
  // At the command line a scripted command is a step of its own.
  EXPECT_EQ(host_.undo().step_names(), (std::vector<std::string>{"OUTER", "LINEPT"}));
}

// In a call's quoted text a backslash takes the next character as it is, a quote or a
// parenthesis too, and a backslash.
TEST_F(CommandRunnerTest, CommandLoopRunsAScriptAndCountsItsFailures) {
  int args_seen = 0;
  add_command("ARGS", [&] {
    RbList args(acedGetArgs());
    ASSERT_EQ(codes(args.get()), (std::vector<int>{RTSHORT, RTREAL, RTSTR}));
    EXPECT_EQ(args->resval.rint, 90);
    EXPECT_DOUBLE_EQ(args->rbnext->resval.rreal, 2.5);
    EXPECT_STREQ(args->rbnext->rbnext->resval.rstring, L"a \"(b\\");
    ++args_seen;
  });
  replies(
      "linept 0,0 1,0\n"
      "\n"
      "2,0 3,0\n"
      "(ARGS 90 2.5 \"a \\\"(b\\\\\")\n"
      "nosuch\n"
      "linept 0,0 x 5,5\n"
      "linept 7,7\n");
  EXPECT_EQ(host_.command_loop(), 3);
  EXPECT_EQ(args_seen, 1);
  // Three lines: the first, the one Enter repeated, and the one after the refused reply; the
  // command the script ended inside left nothing. (What each failure says, with its line:
  // tests/app/script_cases.txt.)
  EXPECT_EQ(db().entities().size(), 3u);
}

TEST_F(CommandRunnerTest, EscOrTheEndOfInputInsideACommandRollsItBack) {
  add_command("ESCAPE", [this] {
    make_line(0, 0, 1, 1);
    throw CommandCancelled{};
  });
  add_command("HALF", [this] {
    make_line(0, 0, 1, 1);
    ads_point p;
    acedGetPoint(nullptr, L"\nPoint: ", p);
  });
  const Snapshot before(host_);
  EXPECT_EQ(host_.run_command("ESCAPE"), CommandResult::kCancelled);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
  EXPECT_EQ(transcript(), "\n*Cancel*");
  replies("");
  EXPECT_EQ(host_.run_command("HALF"), CommandResult::kInputEnded);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");
}

// Esc at a prompt shows as the reply; the command that gave up because of it adds no second
// *Cancel*, whether the host's own command or one of a module that calls the interface.
TEST_F(CommandRunnerTest, EscAtACommandsPromptShowsCancelOnce) {
  add_command("ASK", [] {
    ads_point p;
    if (acedGetPoint(nullptr, L"\nPoint: ", p) == RTCAN) throw CommandCancelled{};
  });
  for (const char* script : {"line\n0,0\n^C\n", "ask\n^C\n", "linept\n^C\n"}) {
    SCOPED_TRACE(script);
    host_.transcript().clear();
    type(script);
    EXPECT_EQ(Terminal::occurrences(transcript(), "*Cancel*"), 1u) << transcript();
    EXPECT_TRUE(db().entities().empty());
  }
}

}  // namespace
}  // namespace cad::testing
