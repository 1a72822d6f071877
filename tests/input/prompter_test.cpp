// The prompts: which replies each input call takes, what it answers, what it refuses and says,
// and how the exchange shows in the transcript.
#include "cad/input/prompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/geom/geom_checks.h"
#include "tests/input/input_checks.h"
#include "tests/support/case_file.h"

namespace cad {
namespace {

using testing::case_point;
using testing::near;
using testing::Session;

constexpr double kPi = std::numbers::pi;

TEST(PointPromptTest, TakesEveryPointFormAndTracksTheLastPoint) {
  Session session("@2,0\n1,2\n@3,4\n5<90\n@1<0\n3,4,5\n@\n@1,1,1\n");
  session.prompter.set_last_point({10, 10, 1});
  const std::vector<Vec3> expected = {{12, 10, 1}, {1, 2, 0}, {4, 6, 0}, {0, 5, 0},
                                      {1, 5, 0},   {3, 4, 5}, {3, 4, 5}, {4, 5, 6}};
  for (size_t k = 0; k < expected.size(); ++k) {
    const Answer answer = session.prompter.get_point("\nPoint: ");
    EXPECT_EQ(answer.status, kRtNorm) << k;
    EXPECT_TRUE(near(answer.point, expected[k])) << k;
  }
  EXPECT_TRUE(near(session.prompter.last_point(), {4, 5, 6}));
  EXPECT_TRUE(session.prompter.refusals().empty());
}

TEST(PointPromptTest, RefusedRepliesPrintTheMessageAndBlanksSplitAPoint) {
  Session session("1, 2\nabc\n7,8\n");
  const Answer answer = session.prompter.get_point("\nPoint: ");
  EXPECT_EQ(answer.status, kRtNorm);
  EXPECT_TRUE(near(answer.point, {7, 8, 0}));
  const auto& refusals = session.prompter.refusals();
  ASSERT_EQ(refusals.size(), 3u);
  EXPECT_EQ(refusals[0].reply, "1,");
  EXPECT_EQ(refusals[1].reply, "2");
  EXPECT_EQ(refusals[0].line, 1);
  EXPECT_EQ(refusals[0].message, "Point or option keyword required.");
  EXPECT_EQ(session.transcript.text(),
            "\nPoint: 1,\nPoint or option keyword required.\nPoint: 2\nPoint or option keyword "
            "required.\nPoint: abc\nPoint or option keyword required.\nPoint: 7,8\n");
}

TEST(PointPromptTest, EnterAnswersNoneAndEscCancel) {
  Session session("\n^C\n");
  EXPECT_EQ(session.prompter.get_point("\nPoint: ").status, kRtNone);
  EXPECT_EQ(session.prompter.last_input(), " ");
  EXPECT_EQ(session.prompter.get_point("\nPoint: ").status, kRtCan);
  EXPECT_EQ(session.transcript.text(), "\nPoint: \nPoint: *Cancel*\n");
}

TEST(PointPromptTest, EndOfScriptThrowsInputEndedWithTheLastLine) {
  Session session("1,1\n\n");
  session.prompter.get_point("");
  session.prompter.get_point("");
  try {
    session.prompter.get_point("\nPoint: ");
    FAIL() << "no InputEnded";
  } catch (const InputEnded& ended) {
    EXPECT_EQ(ended.line, 2);
    EXPECT_FALSE(ended.in_tokens);
  }
}

TEST(DistPromptTest, WithoutBaseAPointAsksForTheSecond) {
  Session session("1,1\n@3,4\n2,2\n^C\n");
  EXPECT_NEAR(session.prompter.get_dist("\nAbstand: ", std::nullopt).real, 5, 1e-12);
  EXPECT_EQ(session.transcript.text(), "\nAbstand: 1,1\nSpecify second point: @3,4\n");
  EXPECT_EQ(session.prompter.get_dist("", std::nullopt).status, kRtCan);
}

// The calls of prompter_cases.txt (its head says how a line reads), each on the session of the
// "session" line above it.
TEST(PromptCasesTest, EachCallAnswersAndRefusesAsListed) {
  const std::map<std::string, int> flag_bits = {{"noempty", kInitNoEmpty},
                                                {"nozero", kInitNoZero},
                                                {"nonegative", kInitNoNegative},
                                                {"2d", kInit2D},
                                                {"arbitrary", kInitArbitrary}};
  const std::map<int, std::string> status_names = {
      {kRtNorm, "norm"}, {kRtNone, "none"}, {kRtKword, "kword"}, {kRtCan, "cancel"}};
  const std::vector<testing::CaseLine> cases = testing::read_cases("input/prompter_cases.txt");
  std::unique_ptr<Session> session;
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    const std::vector<std::string>& f = c.fields;
    if (f[0] == "session") {
      std::string script;
      for (size_t k = 1; k < f.size(); ++k) script += f[k] + "\n";
      session = std::make_unique<Session>(script);
      continue;
    }
    Prompter& prompter = session->prompter;
    if (f[0] == "refused") {
      std::vector<std::string> said;
      for (const Refusal& refusal : prompter.refusals()) said.push_back(refusal.message);
      EXPECT_EQ(said, std::vector<std::string>(f.begin() + 1, f.end()));
      prompter.clear_refusals();
      continue;
    }
    ASSERT_EQ(f.size(), 6u);
    int flags = 0;
    std::istringstream words(f[1]);
    for (std::string word; words >> word;) flags |= flag_bits.at(word);
    if (flags != 0 || !f[2].empty()) prompter.init_get(flags, f[2]);
    const std::optional<Vec3> base =
        f[3].empty() ? std::nullopt : std::optional<Vec3>(case_point(f[3]));
    const std::string& call = f[0];
    Answer answer;
    try {
      answer = call == "point"   ? prompter.get_point("")
               : call == "dist"  ? prompter.get_dist("", base)
               : call == "angle" ? prompter.get_angle("", base)
               : call == "int"   ? prompter.get_int("")
               : call == "real"  ? prompter.get_real("")
               : call == "kword" ? prompter.get_kword("")
                                 : prompter.get_string("", call == "blanks");
    } catch (const InputEnded&) {
      EXPECT_EQ(f[4], "ended");
      continue;
    }
    EXPECT_EQ(status_names.at(answer.status), f[4]);
    if (answer.status != kRtNorm && answer.status != kRtKword) continue;
    const bool text = answer.status == kRtKword || call == "kword";
    if (text) {
      EXPECT_EQ(prompter.last_input(), f[5]);
    }
    if (text || call == "string" || call == "blanks")
      EXPECT_EQ(answer.text, f[5]);
    else if (call == "point")
      EXPECT_TRUE(near(answer.point, case_point(f[5])));
    else if (call == "int")
      EXPECT_EQ(answer.integer, std::stoll(f[5]));
    else
      EXPECT_NEAR(answer.real, std::stod(f[5]) * (call == "angle" ? kPi / 180 : 1), 1e-12);
  }
}

TEST(PickPromptTest, PointOrEntity) {
  Session session("4,5\n");
  const Answer point = session.prompter.get_pick("\nSelect object: ");
  EXPECT_EQ(point.status, kRtNorm);
  EXPECT_FALSE(point.is_entity);
  EXPECT_TRUE(near(point.point, {4, 5, 0}));

  ReplyStack::Scope tokens(session.replies, {entity_reply(77, 0)});
  const Answer entity = session.prompter.get_pick("\nSelect object: ");
  EXPECT_TRUE(entity.is_entity);
  EXPECT_EQ(entity.entity[0], 77);
}

// Typed tokens answer prompts; when they run out the command ends, not the script, which
// resumes afterwards.
TEST(TokenTest, TokensAnswerPromptsEndTheCommandWhenExhaustedAndTheScriptResumes) {
  Session session("9,9\n");
  {
    ReplyStack::Scope tokens(session.replies, {point_reply({1, 2, 0}), real_reply(2.5),
                                               angle_reply(90), int_reply(7), text_reply("3,4")});
    EXPECT_TRUE(near(session.prompter.get_point("").point, {1, 2, 0}));
    EXPECT_EQ(session.prompter.get_dist("", Vec3{}).real, 2.5);
    EXPECT_NEAR(session.prompter.get_angle("", Vec3{}).real, kPi / 2, 1e-12);
    EXPECT_EQ(session.prompter.get_int("").integer, 7);
    EXPECT_TRUE(near(session.prompter.get_point("").point, {3, 4, 0}));
    try {
      session.prompter.get_point("");
      FAIL() << "no InputEnded";
    } catch (const InputEnded& ended) {
      EXPECT_TRUE(ended.in_tokens);
    }
  }
  EXPECT_TRUE(near(session.prompter.get_point("").point, {9, 9, 0}));
}

TEST(TokenTest, EchoOffHidesTheScriptedDialogueButNotItsRefusals) {
  Session session("");
  ReplyStack::Scope tokens(session.replies,
                           {text_reply("x"), point_reply({1, 2, 0}), point_reply({3, 4, 0})});
  session.transcript.set_echo(false);
  session.prompter.get_point("\nPoint: ");
  EXPECT_EQ(session.transcript.text(), "\nPoint or option keyword required.\n");
  session.transcript.clear();
  session.transcript.set_echo(true);
  session.prompter.get_point("\nPoint: ");
  EXPECT_EQ(session.transcript.text(), "Point: 3,4\n");
}

}  // namespace
}  // namespace cad
