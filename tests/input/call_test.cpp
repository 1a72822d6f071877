// Calls typed at the command prompt: "(Name arg ...)" taken apart into a name and replies.
#include "cad/input/call.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/input/reply.h"

namespace cad {
namespace {

// A reply list as text: "i:3 r:2.5 t:abc".
std::string shown(const std::vector<Reply>& replies) {
  std::string out;
  for (const Reply& r : replies) {
    if (!out.empty()) out += ' ';
    switch (r.kind) {
      case Reply::Kind::kInt:
        out += "i:" + std::to_string(static_cast<long long>(r.number));
        break;
      case Reply::Kind::kReal:
        out += "r:" + std::to_string(r.number);
        break;
      default:
        out += "t:" + r.text;
    }
  }
  return out;
}

TEST(Calls, AreTakenApartIntoANameAndReplies) {
  struct Case {
    std::string text;
    bool complete;
    bool parsed;
    std::string name;
    std::string args;
  };
  const Case cases[] = {
      {"(Dulk)", true, true, "Dulk", ""},
      {"(C:AutoBem 3 2.5 -1)", true, true, "AutoBem", "i:3 r:2.500000 i:-1"},
      {"(c:x \"a b\" word)", true, true, "x", "t:a b t:word"},
      {"(Name \"say \\\"hi\\\"\")", true, true, "Name", "t:say \"hi\""},
      {"(C:)", true, true, "C:", ""},
      {"(\t Name \t 1 )", true, true, "Name", "i:1"},
      {"(Name \"a)\"", false, false, "", ""},
      {"(Name (1 2)", false, true, "Name", "t:(1 i:2"},
      {"()", true, false, "", ""},
      {"(3 4)", true, false, "", ""},
      {"(Name \"open)", false, false, "", ""},
      {"Name 1)", true, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(call_complete(c.text), c.complete);
    const auto call = parse_call(c.text);
    ASSERT_EQ(call.has_value(), c.parsed);
    if (!call) continue;
    EXPECT_EQ(call->first, c.name);
    EXPECT_EQ(shown(call->second), c.args);
  }
}

}  // namespace
}  // namespace cad
