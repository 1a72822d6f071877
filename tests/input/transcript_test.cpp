// The transcript's line handling and the reply stack that lays token lists over the base source.
#include "cad/input/transcript.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cad/input/reply.h"
#include "tests/input/input_checks.h"

namespace cad {
namespace {

using testing::drain;
using Replies = std::vector<std::string>;

TEST(TranscriptLinesTest, LineEndAfterAReplyAbsorbsOneLeadingLineEnd) {
  std::ostringstream out;
  Transcript transcript(&out);
  transcript.print("\nPoint: ");
  transcript.print("1,2");
  transcript.end_line();
  transcript.print("\n\nDone");
  transcript.print("\nagain");
  EXPECT_EQ(transcript.text(), "\nPoint: 1,2\n\nDone\nagain");
  EXPECT_EQ(out.str(), transcript.text());
}

TEST(TranscriptLinesTest, TypedReplyIsRecordedButNotWrittenAgain) {
  std::ostringstream out;
  Transcript transcript(&out);
  transcript.print("Command: ");
  transcript.typed("LINE");
  transcript.print("\nSpecify first point: ");
  EXPECT_EQ(transcript.text(), "Command: LINE\nSpecify first point: ");
  EXPECT_EQ(out.str(), "Command: Specify first point: ");
}

TEST(TranscriptLinesTest, HeldOpenLineGoesToWhoeverTakesIt) {
  std::ostringstream out;
  {
    Transcript transcript(&out);
    transcript.set_hold_open_line(true);
    transcript.print("Loaded.\nCommand: ");
    EXPECT_EQ(out.str(), "Loaded.\n");
    EXPECT_EQ(transcript.take_open_line(), "Command: ");
    transcript.print("\nbye");
    EXPECT_EQ(out.str(), "Loaded.\n\n");
  }
  // Destroying the transcript writes what it still held.
  EXPECT_EQ(out.str(), "Loaded.\n\nbye");
}

TEST(ReplyTextTest, EchoesRepliesAsTheCommandLineShowsThem) {
  EXPECT_EQ(reply_text(text_reply("_dim1")), "_dim1");
  EXPECT_EQ(reply_text(point_reply({1.5, -2, 0})), "1.5,-2");
  EXPECT_EQ(reply_text(point_reply({0.1, 0, 3})), "0.1,0,3");
  EXPECT_EQ(reply_text(angle_reply(22.5)), "22.5");
  EXPECT_EQ(reply_text(int_reply(-4)), "-4");
  EXPECT_EQ(reply_text(entity_reply(0x7ff1a, 0)), "<Entity name: 7ff1a>");
  EXPECT_EQ(reply_text(cancel_reply()), "*Cancel*");
}

TEST(ReplyStackTest, TokenListsStackAndAnswerEndWhenExhausted) {
  ReplyStack stack(std::make_unique<TokenQueue>(std::vector<Reply>{text_reply("base")}));
  EXPECT_FALSE(stack.from_tokens());
  {
    ReplyStack::Scope outer(stack, {text_reply("a"), text_reply("b")});
    EXPECT_TRUE(stack.from_tokens());
    EXPECT_EQ(stack.next(true).text, "a");
    {
      ReplyStack::Scope inner(stack, {text_reply("x")});
      EXPECT_EQ(drain(stack), (Replies{"[x]", "END"}));
    }
    EXPECT_EQ(stack.depth(), 1u);
    const std::vector<Reply> rest = outer.close();
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].text, "b");
    EXPECT_EQ(stack.depth(), 0u);
  }
  EXPECT_EQ(drain(stack), (Replies{"[base]", "END"}));
}

TEST(ReplyStackTest, WithoutBaseEveryReplyIsTheEnd) {
  ReplyStack stack;
  EXPECT_FALSE(stack.interactive());
  EXPECT_EQ(stack.next(true).kind, Reply::Kind::kEnd);
  EXPECT_EQ(stack.next(false).kind, Reply::Kind::kEnd);
}

}  // namespace
}  // namespace cad
