// The dialogue of Dulk at the command line: its prompts in order and as the user reads them,
// keywords in full and short, taking points back, the distance construction, and the direction
// by angle, by two points or given with the command. Esc: esc_test.cpp.
#include <numbers>

#include "dulk_fixture.h"

namespace {

constexpr const char* kPosition = "Lage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:";
constexpr const char* kDirection = "Richtung der Masskette <2Punkte>:";

class DulkDialogueTest : public DulkTest {};

TEST_F(DulkDialogueTest, PromptsComeInOrderAndTheChainRunsAlongTheDirection) {
  ASSERT_EQ(script("Dulk\n0,0\n10,0\n25,0\n\n0,-1\n0\n"), 0) << transcript();
  const std::vector<std::string> expected = {"Command: Dulk",
                                             "1. Bemassungspunkt:0,0",
                                             "2. Bemassungspunkt:10,0",
                                             "3. Bemassungspunkt:25,0",
                                             "4. Bemassungspunkt:",
                                             std::string(kPosition) + "0,-1",
                                             std::string(kDirection) + "0"};
  const std::vector<std::string> all = lines();
  ASSERT_GE(all.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + expected.size()), expected);
  const std::vector<SavedDim> chain = new_chain();
  EXPECT_EQ(along(chain, kX), (Places{0, 10, 25}));
  EXPECT_EQ(line_across(chain, kY), (Places{-1.2}));
}

TEST_F(DulkDialogueTest, TakingPointsBackRenumbersThePrompts) {
  ASSERT_EQ(script("Dulk\n0,0\n1,0\n2,0\nUndo\n5,0\n\n0,-1\n0\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"1. Bemassungspunkt:0,0", "2. Bemassungspunkt:1,0", "3. Bemassungspunkt:2,0",
                       "4. Bemassungspunkt:Undo", "3. Bemassungspunkt:5,0", "4. Bemassungspunkt:"}))
      << transcript();
  EXPECT_EQ(along(new_chain(), kX), (Places{0, 1, 5}));
}

// "Zurück" with no point changes nothing; "Z" and "U" are the short forms.
TEST_F(DulkDialogueTest, ShortFormsTakeBackAndNothingIsTakenFromAnEmptyList) {
  ASSERT_EQ(script("Dulk\nZurück\n0,0\nZ\n3,0\n7,0\n8,0\nU\n9,0\n\n0,-1\n0\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"1. Bemassungspunkt:Zurück", "1. Bemassungspunkt:0,0",
                       "2. Bemassungspunkt:Z", "1. Bemassungspunkt:3,0"}))
      << transcript();
  EXPECT_EQ(along(new_chain(), kX), (Places{3, 7, 9}));
}

// The line of the extension lines at a distance from a reference point, in a direction; German
// and English keywords, in full and short.
class DulkDistanceTest : public DulkTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DulkDistanceTest, ConstructionPlacesTheExtensionLines) {
  ASSERT_EQ(script(std::string("Dulk\n0,0\n0,5\n0,12\n\n") + GetParam() + "\n2,1\n10\n0\n90\n"), 0)
      << transcript();
  EXPECT_TRUE(has_run({std::string(kPosition) + GetParam(), "Bezugspunkt:2,1", "Abstand:10",
                       "Richtung:0", std::string(kDirection) + "90"}))
      << transcript();
  const std::vector<SavedDim> chain = new_chain();
  EXPECT_EQ(along(chain, kY), (Places{0, 5, 12}));
  // Extension lines from x = 12, the dimension line beyond them, away from the points.
  EXPECT_EQ(line_across(chain, kX), (Places{12.2}));
  EXPECT_NEAR(chain.front().origin1.x, 12.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Keywords, DulkDistanceTest,
                         ::testing::Values("A", "Abstand", "D", "Dist"));

TEST_F(DulkDialogueTest, DistanceConstructionInAnyDirection) {
  ASSERT_EQ(script("Dulk\n0,0\n10,0\n\nAbstand\n0,0\n4\n270\n0\n"), 0) << transcript();
  EXPECT_EQ(line_across(new_chain(), kY), (Places{-4.2}));
}

TEST_F(DulkDialogueTest, DirectionByTwoPoints) {
  ASSERT_EQ(script("Dulk\n0,0\n0,6\n\n-2,0\n\n5,5\n5,9\n"), 0) << transcript();
  EXPECT_TRUE(has_run({std::string(kDirection), "1. Punkt:5,5", "2. Punkt:5,9"})) << transcript();
  EXPECT_EQ(along(new_chain(), kY), (Places{0, 6}));

  ASSERT_EQ(script("Dulk\n0,20\n8,20\n\n0,18\n2Punkte\n1,1\n7,1\n"), 0) << transcript();
  EXPECT_TRUE(has_run({std::string(kDirection) + "2Punkte", "1. Punkt:1,1", "2. Punkt:7,1"}))
      << transcript();
  EXPECT_EQ(chains().size(), 2u);
}

// "Zurück" at the direction asks for the position again, then for the direction.
TEST_F(DulkDialogueTest, GoingBackFromTheDirectionAsksThePositionAgain) {
  ASSERT_EQ(script("Dulk\n0,0\n10,0\n\n0,-1\nZurück\n0,-5\nUndo\n0,-7\n0\n"), 0) << transcript();
  EXPECT_TRUE(has_run({std::string(kDirection) + "Zurück", std::string(kPosition) + "0,-5",
                       std::string(kDirection) + "Undo", std::string(kPosition) + "0,-7",
                       std::string(kDirection) + "0"}))
      << transcript();
  EXPECT_EQ(line_across(new_chain(), kY), (Places{-7.2}));
}

// "(Dulk 90)" or "(Dulk 90.0)": the chain runs at 90 degrees and the direction is not asked.
TEST_F(DulkDialogueTest, AngleGivenWithTheCommandSkipsTheDirection) {
  for (const std::string call : {"(Dulk 90)", "(Dulk 90.0)"}) {
    ASSERT_EQ(script(call + "\n0,0\n0,4\n\n3,0\n"), 0) << transcript();
    EXPECT_TRUE(has_run({std::string(kPosition) + "3,0", "Command: "})) << transcript();
  }
  EXPECT_EQ(count_lines(kDirection), 0u) << transcript();
  for (const auto& [name, chain] : chains()) {
    EXPECT_EQ(along(chain, kY), (Places{0, 4}));
    EXPECT_EQ(line_across(chain, kX), (Places{3.2}));
  }
}

TEST_F(DulkDialogueTest, ObliqueAngleGivenWithTheCommand) {
  ASSERT_EQ(script("(Dulk 45)\n0,0\n3,3\n\n0,2\n"), 0) << transcript();
  const std::vector<SavedDim> chain = new_chain();
  ASSERT_EQ(chain.size(), 1u);
  const cad::Vec3 dir = cad::normalized({1, 1, 0});
  EXPECT_NEAR(cad::dot(chain[0].origin2 - chain[0].origin1, dir), std::sqrt(18.0), 1e-6);
  EXPECT_EQ(chain[0].text.substr(0, 4), "4.24");
}

// Points picked in a turned UCS make a chain along that UCS's axes, where they were picked.
TEST_F(DulkDialogueTest, ChainInATurnedUcs) {
  ucs_turned(30);
  ASSERT_EQ(script("Dulk\n0,0\n5,0\n12,0\n\n0,-2\n0\n"), 0) << transcript();
  const cad::Vec3 x_axis = to_world({1, 0, 0}) - to_world({0, 0, 0});
  const cad::Vec3 y_axis = to_world({0, 1, 0}) - to_world({0, 0, 0});
  const std::vector<SavedDim> chain = new_chain();
  EXPECT_EQ(along(chain, x_axis), (Places{0, 5, 12}));
  EXPECT_EQ(line_across(chain, y_axis), (Places{-2.2}));
}

TEST_F(DulkDialogueTest, NoPointsStillAsksAndMakesNothing) {
  ASSERT_EQ(script("Dulk\n\n0,-1\n0\n"), 0) << transcript();
  EXPECT_TRUE(has_run({"1. Bemassungspunkt:", std::string(kPosition) + "0,-1",
                       std::string(kDirection) + "0", " Keine neue Bemassung generiert !"}))
      << transcript();
  EXPECT_EQ(dimension_count(), 0u);
}

TEST_F(DulkDialogueTest, UndoRestoresTheDrawing) {
  ASSERT_EQ(script("LINE\n0,0\n10,10\n\n"), 0);
  const std::string before = saved_bytes();
  ASSERT_EQ(script("Dulk\n0,0\n10,0\n25,0\n\n0,-1\n0\n"), 0) << transcript();
  ASSERT_EQ(new_chain().size(), 2u);
  ASSERT_EQ(script("U\n"), 0) << transcript();
  EXPECT_EQ(diff(before, saved_bytes()), "");
}

}  // namespace
