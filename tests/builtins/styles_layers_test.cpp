// Dimension styles and layers where a scenario of host_cases.txt cannot say it: what SETVAR's
// interface refuses, and the names -LAYER and the style commands refuse.
#include "cad/base/utf8.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

using StyleTest = HostFixture;
using LayerTest = HostFixture;

TEST_F(StyleTest, SetvarRefusesWhatTheVariableCannotHold) {
  EXPECT_FALSE(set_variable(host_, "DIMSTYLE", VarValue::text("X")));
  EXPECT_FALSE(set_variable(host_, "NOSUCHVAR", VarValue::integer(1)));
  EXPECT_FALSE(set_variable(host_, "CLAYER", VarValue::text("missing")));
  EXPECT_TRUE(set_variable(host_, "clayer", VarValue::text("defpoints")));
  EXPECT_EQ(var_text("CLAYER"), "DEFPOINTS");
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
  // Each command's tokens, the name given where "@" stands.
  struct Command {
    std::vector<std::string> words;
    const char* message;
    std::vector<Reply> tokens(const std::string& name) const {
      std::vector<Reply> out;
      for (const std::string& w : words) out.push_back(text_reply(w == "@" ? name : w));
      return out;
    }
  };
  const Command commands[] = {
      {{"_-layer", "_new", "@", ""}, "Invalid layer name \""},
      {{"_-layer", "_make", "@", ""}, "Invalid layer name \""},
      {{"_dim1", "_save", "@"}, "Invalid dimension style name \""},
      {{"-dimstyle", "_save", "@"}, "Invalid dimension style name \""},
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

}  // namespace
}  // namespace cad::testing
