// NaN and infinity typed anywhere the module takes a number: every numeric prompt of its commands
// refuses them and asks again, and the drawing holds numbers only (the DXF reader, which refuses
// NaN and infinity, reads the saved drawing, and no text shows "inf" or "nan"). The settings
// tiles: bemdia_callbacks_test.cpp.
#include <algorithm>
#include <cctype>
#include <sstream>

#include "tests/support/case_file.h"
#include "tests/support/chain_fixture.h"

namespace {

// A reply given where the module asks for a number, with V standing for the value typed; the
// drawing is set up first, the bad reply follows `before`, and `after` completes the command.
struct NumericInput {
  const char* name;
  const char* setup;
  const char* before;
  const char* bad;
  const char* after;
};

constexpr const char* kLines = "LINE\n0,-5\n0,5\n\nLINE\n4,-5\n4,5\n\n";
constexpr const char* kReference = "DIM1\nHOR\n0,0\n10,0\n5,3\n\n";
constexpr const char* kChain = "Dulk\n0,0\n10,0\n25,0\n\n0,-1\n0\n";

constexpr NumericInput kInputs[] = {
    {"DulkPoint", "", "Dulk\n", "V,0", "0,0\n4,0\n\n0,-1\n0\n"},
    {"DulkPosition", "", "Dulk\n0,0\n4,0\n\n", "0,V", "0,-1\n0\n"},
    {"DulkReferencePoint", "", "Dulk\n0,0\n4,0\n\nAbstand\n", "V,0", "0,0\n4\n270\n0\n"},
    {"DulkDistance", "", "Dulk\n0,0\n4,0\n\nAbstand\n0,0\n", "V", "4\n270\n0\n"},
    {"DulkDistanceDirection", "", "Dulk\n0,0\n4,0\n\nAbstand\n0,0\n4\n", "V", "270\n0\n"},
    {"DulkDirection", "", "Dulk\n0,0\n4,0\n\n0,-1\n", "V", "0\n"},
    {"DulkDirectionFirstPoint", "", "Dulk\n0,0\n4,0\n\n0,-1\n2Punkte\n", "V,0", "0,0\n1,0\n"},
    {"DulkDirectionSecondPoint", "", "Dulk\n0,0\n4,0\n\n0,-1\n2Punkte\n0,0\n", "V,V", "1,0\n"},
    {"DulkReferencePick", kReference, "Dulk\n0,0\n4,0\n10,0\n\nU\n", "V,3", "2,3\n"},
    {"AutoBemFirstCutPoint", kLines, "AutoBem\n", "V,0", "-1,0\n5,0\n\n0,-1\n0\nNein\n"},
    {"AutoBemNextCutPoint", kLines, "AutoBem\n-1,0\n", "5,V", "5,0\n\n0,-1\n0\nNein\n"},
    {"BemAddPoint", kChain, "BemAdd\n", "V,0", "40,0\n\n5,-1.2\n\n"},
    {"BemDelPick", kChain, "BemDel\n", "5,V", "5,-1.2\n10,0\n\n"},
    {"BemUpdPick", kChain, "BemUpd\n", "V,-1.2", "5,-1.2\n\n"},
};

constexpr const char* kValues[] = {"1e999", "-1e999", "nan", "inf"};

class NonFiniteInputTest : public ChainFixture {
 protected:
  // The drawing as saved reads back (the reader refuses NaN and infinity), and no line of the
  // file starts with "inf" or "nan", as a number or a dimension text would.
  void expect_numbers_only() const {
    const std::string saved = cad::write_dxf(cad::current_host()->db());
    const cad::ReadResult back = cad::read_dxf(saved, "saved");
    EXPECT_TRUE(back.db) << back.error;
    std::istringstream lines(saved);
    for (std::string line; std::getline(lines, line);) {
      std::transform(line.begin(), line.end(), line.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (line.starts_with('-')) line.erase(0, 1);
      EXPECT_FALSE(line.starts_with("inf") || line.starts_with("nan")) << line;
    }
  }
};

class NumericPromptTest : public NonFiniteInputTest,
                          public ::testing::WithParamInterface<NumericInput> {};

TEST_P(NumericPromptTest, RefusesNanAndInfinityAndAsksAgain) {
  const NumericInput& input = GetParam();
  for (const char* value : kValues) {
    SCOPED_TRACE(value);
    ASSERT_EQ(script(input.setup), 0) << transcript();
    const std::string bad = cad::testing::replace_all(input.bad, "V", value);
    EXPECT_EQ(script(input.before + bad + "\n" + input.after), 1) << transcript();
    EXPECT_NE(transcript().find("reply \"" + bad + "\" refused: "), std::string::npos)
        << transcript();
    // A chain was made: a name besides "" (the dimensions without chain data).
    EXPECT_NE(chains().size(), chains().count("")) << transcript();
    expect_numbers_only();
    // Back to the empty drawing for the next value.
    ASSERT_EQ(script("UNDO\nBack\n\n"), 0) << transcript();
    ASSERT_EQ(dims().size(), 0u) << transcript();
  }
}

INSTANTIATE_TEST_SUITE_P(Prompts, NumericPromptTest, ::testing::ValuesIn(kInputs),
                         [](const ::testing::TestParamInfo<NumericInput>& info) {
                           return info.param.name;
                         });

}  // namespace
