// The prompts: which replies each input call takes, what it answers, what it refuses and says,
// and how the exchange shows in the transcript.
#include "cad/input/prompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/geom/geom_checks.h"
#include "tests/input/input_checks.h"

namespace cad {
namespace {

using testing::near;
using testing::Session;

constexpr double kPi = std::numbers::pi;

// The points a session's get_point calls answer, one per reply, all expected to be RTNORM.
std::vector<Vec3> points(Session& session, int count) {
  std::vector<Vec3> result;
  for (int k = 0; k < count; ++k) {
    const Answer answer = session.prompter.get_point("\nPoint: ");
    EXPECT_EQ(answer.status, kRtNorm);
    result.push_back(answer.point);
  }
  return result;
}

TEST(PointPromptTest, TakesEveryPointFormAndTracksTheLastPoint) {
  Session session("@2,0\n1,2\n@3,4\n5<90\n@1<0\n3,4,5\n@\n@1,1,1\n");
  session.prompter.set_last_point({10, 10, 1});
  const std::vector<Vec3> got = points(session, 8);
  const std::vector<Vec3> expected = {{12, 10, 1}, {1, 2, 0}, {4, 6, 0}, {0, 5, 0},
                                      {1, 5, 0},   {3, 4, 5}, {3, 4, 5}, {4, 5, 6}};
  for (size_t k = 0; k < expected.size(); ++k) EXPECT_TRUE(near(got[k], expected[k])) << k;
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

// A flag or keyword list applies to the next input call only: no-empty refuses Enter once.
TEST(InitGetTest, NoEmptyRefusesEnterAndAppliesToTheNextInputCallOnly) {
  Session session("\n1,1\nU\nU\n");
  session.prompter.init_get(kInitNoEmpty, "");
  EXPECT_EQ(session.prompter.get_point("\nPoint: ").status, kRtNorm);
  ASSERT_EQ(session.prompter.refusals().size(), 1u);
  EXPECT_EQ(session.prompter.refusals()[0].reply, "");
  session.prompter.clear_refusals();
  session.prompter.init_get(0, "aUssen");
  EXPECT_EQ(session.prompter.get_point("").status, kRtKword);
  EXPECT_THROW(session.prompter.get_point(""), InputEnded);
  EXPECT_EQ(session.prompter.refusals().size(), 1u);
}

TEST(InitGetTest, KeywordsByShortFormAndInFullAnswerKword) {
  Session session("U\nabstand\nDIST\ni\n");
  std::vector<std::string> picked;
  for (int k = 0; k < 4; ++k) {
    session.prompter.init_get(0, "aUssen Abstand Innen Dist");
    const Answer answer = session.prompter.get_point("\nLage: ");
    EXPECT_EQ(answer.status, kRtKword);
    EXPECT_EQ(answer.text, session.prompter.last_input());
    picked.push_back(session.prompter.last_input());
  }
  EXPECT_EQ(picked, (std::vector<std::string>{"aUssen", "Abstand", "Dist", "Innen"}));
}

TEST(InitGetTest, LocalKeywordAnswersWithTheGlobalOne) {
  Session session("J\n_No\n");
  session.prompter.init_get(0, "Ja Nein _Yes No");
  Answer answer = session.prompter.get_kword("\nOK? ");
  EXPECT_EQ(answer.status, kRtNorm);
  EXPECT_EQ(answer.text, "Yes");
  session.prompter.init_get(0, "Ja Nein _Yes No");
  answer = session.prompter.get_kword("\nOK? ");
  EXPECT_EQ(answer.text, "No");
  EXPECT_EQ(session.prompter.last_input(), "No");
}

TEST(InitGetTest, ArbitraryInputComesBackAsTypedButKeywordsAndValuesStayThemselves) {
  Session session("w\n*U12\n25\n");
  for (const char* typed : {"Wahl", "*U12"}) {
    session.prompter.init_get(kInitArbitrary, "Wahl");
    EXPECT_EQ(session.prompter.get_point("").status, kRtKword);
    EXPECT_EQ(session.prompter.last_input(), typed);
  }
  session.prompter.init_get(kInitArbitrary, "");
  const Answer answer = session.prompter.get_dist("", std::nullopt);
  EXPECT_EQ(answer.status, kRtNorm);
  EXPECT_EQ(answer.real, 25);
}

TEST(KwordPromptTest, RefusesWhatIsNoKeywordAndTakesEnter) {
  Session session("maybe\nn\n\n");
  session.prompter.init_get(0, "Yes Nein No Ja ");
  Answer answer = session.prompter.get_kword("\nSchnittlinie loeschen <J> ?");
  EXPECT_EQ(answer.status, kRtNorm);
  EXPECT_EQ(answer.text, "Nein");
  EXPECT_EQ(session.prompter.refusals().at(0).message, "Invalid option keyword.");
  session.prompter.init_get(0, "Yes Nein No Ja ");
  answer = session.prompter.get_kword("\nSchnittlinie loeschen <J> ?");
  EXPECT_EQ(answer.status, kRtNone);
}

TEST(DistPromptTest, NumberOrDistanceFromTheBaseAndFlat2D) {
  Session session("2.5\n3,4\n@0,0,12\n3,4,12\n");
  EXPECT_EQ(session.prompter.get_dist("", Vec3{}).real, 2.5);
  EXPECT_NEAR(session.prompter.get_dist("", Vec3{}).real, 5, 1e-12);
  EXPECT_NEAR(session.prompter.get_dist("", Vec3{3, 4, 0}).real, 12, 1e-12);
  session.prompter.init_get(kInit2D, "");
  EXPECT_NEAR(session.prompter.get_dist("", Vec3{}).real, 5, 1e-12);
}

TEST(DistPromptTest, WithoutBaseAPointAsksForTheSecond) {
  Session session("1,1\n@3,4\n2,2\n^C\n");
  EXPECT_NEAR(session.prompter.get_dist("\nAbstand: ", std::nullopt).real, 5, 1e-12);
  EXPECT_EQ(session.transcript.text(), "\nAbstand: 1,1\nSpecify second point: @3,4\n");
  EXPECT_EQ(session.prompter.get_dist("", std::nullopt).status, kRtCan);
}

std::vector<std::string> messages(const Session& session) {
  std::vector<std::string> result;
  for (const Refusal& refusal : session.prompter.refusals()) result.push_back(refusal.message);
  return result;
}

TEST(DistPromptTest, RefusesTextAndForbiddenSigns) {
  Session session("far\n0\n-1\n0,0\n4\n-2\n-2\n0\n");
  session.prompter.init_get(kInitNoZero | kInitNoNegative, "");
  EXPECT_EQ(session.prompter.get_dist("", Vec3{}).real, 4);
  EXPECT_EQ(messages(session),
            (std::vector<std::string>{
                "Requires numeric distance or two points.", "Value must be positive and nonzero.",
                "Value must be positive and nonzero.", "Value must be positive and nonzero."}));
  session.prompter.clear_refusals();
  EXPECT_EQ(session.prompter.get_dist("", std::nullopt).real, -2);
  session.prompter.init_get(kInitNoNegative, "");
  EXPECT_EQ(session.prompter.get_dist("", std::nullopt).real, 0);
  EXPECT_EQ(messages(session), (std::vector<std::string>{"Value must be positive."}));
}

TEST(AnglePromptTest, DegreesOrDirectionsFromTheBaseBecomeRadiansFromEast) {
  Session session("90\n22.5\n-90\n360\n1,2\n0,0\nsteep\n45\n1,1\n@-1,1\n");
  const Vec3 base{1, 1, 0};
  for (const auto& [from, radians] :
       std::vector<std::pair<std::optional<Vec3>, double>>{{std::nullopt, kPi / 2},
                                                           {std::nullopt, kPi / 8},
                                                           {std::nullopt, 3 * kPi / 2},
                                                           {std::nullopt, 0},
                                                           {base, kPi / 2},
                                                           {base, 5 * kPi / 4},
                                                           {std::nullopt, kPi / 4},
                                                           {std::nullopt, 3 * kPi / 4}}) {
    EXPECT_NEAR(session.prompter.get_angle("", from).real, radians, 1e-12);
  }
  EXPECT_EQ(messages(session),
            (std::vector<std::string>{"Requires valid numeric angle or second point."}));
}

TEST(AnglePromptTest, TwoPunkteKeywordNeedsItsShortForm) {
  Session session("2\n2p\n");
  session.prompter.init_get(0,
                            "2Punkte Zur\xC3\xBC"
                            "ck Undo");
  EXPECT_NEAR(session.prompter.get_angle("", Vec3{}).real, 2 * kPi / 180, 1e-12);
  session.prompter.init_get(0,
                            "2Punkte Zur\xC3\xBC"
                            "ck Undo");
  EXPECT_EQ(session.prompter.get_angle("", Vec3{}).status, kRtKword);
  EXPECT_EQ(session.prompter.last_input(), "2Punkte");
}

TEST(NumberPromptTest, IntegerAndRealPromptsRefuseWhatTheyCannotTake) {
  Session session("2.5\n40000\n0\n-3\n3\n1,2\n1e3\n");
  session.prompter.init_get(kInitNoZero | kInitNoNegative, "");
  const Answer answer = session.prompter.get_int("");
  EXPECT_EQ(answer.status, kRtNorm);
  EXPECT_EQ(answer.integer, 3);
  EXPECT_EQ(session.prompter.get_real("").real, 1000);
  EXPECT_EQ(messages(session),
            (std::vector<std::string>{
                "Requires an integer value.", "Requires an integer between -32768 and 32767.",
                "Value must be positive and nonzero.", "Value must be positive and nonzero.",
                "Requires numeric value."}));
}

TEST(StringPromptTest, BlanksEndTheTextUnlessAllowed) {
  Session session("Hello big world\nHello big world\n\n");
  EXPECT_EQ(session.prompter.get_string("", true).text, "Hello big world");
  EXPECT_EQ(session.prompter.get_string("", false).text, "Hello");
  EXPECT_EQ(session.prompter.get_string("", true).text, "big world");
  const Answer enter = session.prompter.get_string("", true);
  EXPECT_EQ(enter.status, kRtNorm);
  EXPECT_EQ(enter.text, "");
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

TEST(TranscriptTest, ShowsEachPromptWithItsReplyOnOneLine) {
  Session session("1,2\n\nLT\n");
  session.prompter.get_point("\nFirst point: ");
  session.prompter.get_point("\nNext point: ");
  session.prompter.init_get(0, "LType");
  session.prompter.get_kword("Option: ");
  EXPECT_EQ(session.transcript.text(), "\nFirst point: 1,2\nNext point: \nOption: LT\n");
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
