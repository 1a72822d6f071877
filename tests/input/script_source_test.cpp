// The script form: how a script falls apart into replies, line numbers, and the end.
#include "cad/input/script_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/input/input_checks.h"

namespace cad {
namespace {

using testing::drain;
using Replies = std::vector<std::string>;

TEST(ScriptSplitTest, RepliesEndAtBlanksAndLineEnds) {
  const std::vector<std::pair<std::string, Replies>> cases = {
      {"LINE 0,0 1,1\n2,2\n", {"[LINE]", "[0,0]", "[1,1]", "[2,2]", "END"}},
      // Two blanks are a reply and an Enter; a line end after them is one more Enter.
      {"LINE 0,0 1,1  ", {"[LINE]", "[0,0]", "[1,1]", "[]", "END"}},
      {"LINE 0,0 1,1  \nX\n", {"[LINE]", "[0,0]", "[1,1]", "[]", "[]", "[X]", "END"}},
      // An empty line is Enter; the last line needs no line end.
      {"A\n\nB\r\n\r\nC", {"[A]", "[]", "[B]", "[]", "[C]", "END"}},
      {"; setup\nA\n;; more\n\n;x y z\nB ;not a comment\n",
       {"[A]", "[]", "[B]", "[;not]", "[a]", "[comment]", "END"}},
      {"^C\nA ^C B\nx^C\n", {"^C", "[A]", "^C", "[B]", "[x^C]", "END"}},
      {"\xEF\xBB\xBFZur\xC3\xBC"
       "ck 1,2\n",
       {"[Zur\xC3\xBC"
        "ck]",
        "[1,2]", "END"}},
      {"", {"END"}},
  };
  for (const auto& [text, replies] : cases) {
    SCOPED_TRACE(text);
    ScriptSource script(text, "s");
    EXPECT_EQ(drain(script), replies);
  }
}

TEST(ScriptSplitTest, TextPromptTakesTheRestOfTheLine) {
  ScriptSource script("-TEXT Hello big  world\nnext\n", "s");
  EXPECT_EQ(script.next(true).text, "-TEXT");
  EXPECT_EQ(script.next(false).text, "Hello big  world");
  EXPECT_EQ(script.next(false).text, "next");
  EXPECT_EQ(script.next(false).kind, Reply::Kind::kEnd);
}

TEST(ScriptSplitTest, EveryReplyCarriesItsLineAndTheEndTheLastLine) {
  ScriptSource script("A B\n;c\n\nC", "s");
  std::vector<int> lines;
  for (Reply reply = script.next(true); reply.kind != Reply::Kind::kEnd;
       reply = script.next(true)) {
    lines.push_back(reply.line);
  }
  EXPECT_EQ(lines, (std::vector<int>{1, 1, 3, 4}));
  const Reply end = script.next(true);
  EXPECT_EQ(end.kind, Reply::Kind::kEnd);
  EXPECT_EQ(end.line, 4);
  EXPECT_EQ(script.next(true).kind, Reply::Kind::kEnd);
}

TEST(ScriptFileTest, OpensAFileAndNamesAMissingOne) {
  const std::string path = ::testing::TempDir() + "input_script_test.scr";
  {
    std::ofstream file(path, std::ios::binary);
    file << "CIRCLE 0,0 5\n";
  }
  std::string error;
  const auto script = ScriptSource::open(path, error);
  ASSERT_NE(script, nullptr) << error;
  EXPECT_EQ(script->name(), path);
  EXPECT_EQ(drain(*script), (Replies{"[CIRCLE]", "[0,0]", "[5]", "END"}));
  std::remove(path.c_str());

  EXPECT_EQ(ScriptSource::open(path, error), nullptr);
  EXPECT_NE(error.find(path), std::string::npos);
}

}  // namespace
}  // namespace cad
