// BemAdd end to end: points entered once join every selected chain, each chain regenerated once
// in its own UCS, and the user's environment is as it was.
#include <numbers>

#include "chain_edit_fixture.h"

namespace {

class BemAddTest : public ChainEditTest {
 protected:
  // BemAdd with the given points (current UCS, "x,y") on the dimensions under the picks.
  void add(const std::vector<std::string>& points, const std::vector<const SavedDim*>& picks) {
    std::string text = "BemAdd\n";
    for (const std::string& point : points) text += point + "\n";
    text += "\n";
    for (const SavedDim* dim : picks) text += at(on_line(*dim)) + "\n";
    EXPECT_EQ(script(text + "\n"), 0) << transcript();
  }
};

TEST_F(BemAddTest, PointsBeyondTheEndAndBetweenTwoPointsAddDimensions) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  const std::vector<SavedDim> before = only_chain();
  add({"40,3", "5,-7"}, {&before[1]});
  const std::vector<SavedDim> after = only_chain();
  EXPECT_EQ(along(after, kX), (Places{0, 5, 10, 25, 40}));
  EXPECT_EQ(after.size(), 4u);
  EXPECT_EQ(line_across(after, kY), line_across(before, kY));
  EXPECT_NE(transcript().find("\n2. Punkt zum hinzufügen:"), std::string::npos);
}

TEST_F(BemAddTest, CoincidingPointOrNoPointRegeneratesTheChainUnchanged) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  const std::vector<SavedDim> before = only_chain();
  add({"10.0004,6"}, {&before[0]});
  const std::vector<SavedDim> coinciding = only_chain();
  add({}, {&coinciding[0]});
  const std::vector<SavedDim> nothing = only_chain();
  for (const std::vector<SavedDim>* after : {&coinciding, &nothing}) {
    EXPECT_EQ(along(*after, kX).size(), 3u);
    EXPECT_EQ(after->size(), 2u);
    EXPECT_EQ(line_across(*after, kY), line_across(before, kY));
  }
  EXPECT_NE(coinciding[0].chain, before[0].chain);
  EXPECT_NE(nothing[0].chain, coinciding[0].chain);
}

TEST_F(BemAddTest, EverySelectedChainGetsThePointsOnceAndTheUserKeepsHisEnvironment) {
  EXPECT_EQ(script("_-layer\n_make\nA\n\n"), 0);
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  // Drawn in a turned UCS: the new point lands there where the user picks it.
  EXPECT_EQ(script("_-layer\n_make\nB\n\n_ucs\n_z\n30\n"), 0);
  make_chain({{0, 10}, {10, 10}, {25, 10}}, 0, {0, 12});
  EXPECT_EQ(script("_-layer\n_set\n0\n\n_ucs\n_world\n"), 0);
  const Environment user = environment();
  const std::string drawing = saved_bytes();
  const Chains before = chains();
  ASSERT_EQ(before.size(), 2u);
  const std::vector<SavedDim>& a = before.begin()->second;
  const std::vector<SavedDim>& b = std::next(before.begin())->second;
  add({"40,0"}, {&a[0], &a[1], &b[0]});

  EXPECT_EQ(environment(), user);
  const Chains after = chains();
  ASSERT_EQ(after.size(), 2u);
  const double turn = std::numbers::pi / 6;
  const cad::Vec3 turned{std::cos(turn), std::sin(turn), 0};
  for (const auto& [name, chain] : after) {
    const bool first = chain[0].layer == "A";
    const cad::Vec3 dir = first ? kX : turned;
    Places expected = along(first ? a : b, dir);
    expected.push_back(first ? 40 : std::round(40 * turned.x * 1e6) / 1e6);
    EXPECT_EQ(along(chain, dir), expected) << chain[0].layer;
    EXPECT_EQ(chain.size(), 3u) << chain[0].layer;
  }
  EXPECT_EQ(script("_u\n"), 0);
  EXPECT_TRUE(saved_bytes() == drawing);
}

TEST_F(BemAddTest, CancelledPointInputChangesNothing) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  const std::string drawing = saved_bytes();
  EXPECT_EQ(script("BemAdd\n40,0\n^C\n"), 0);
  EXPECT_TRUE(saved_bytes() == drawing);
}

// The points are not made into a chain of their own when the selected chain cannot be read.
TEST_F(BemAddTest, UnreadableChainStaysAndGetsNoPoints) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  run([] {
    RbList data(acdbEntGet(entities(L"DIMENSION").at(0).data()));
    resbuf* line = find_group(data.get(), 10);
    const resbuf* origin = find_group(data.get(), 14);
    for (int i = X; i <= Z; ++i) line->resval.rpoint[i] = origin->resval.rpoint[i];
    acdbEntMod(data.get());
  });
  const Chains before = chains();
  add({"50,0", "60,0"}, {&before.begin()->second[0]});
  const Chains after = chains();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after.begin()->first, before.begin()->first);
  EXPECT_EQ(along(after.begin()->second, kX), (Places{0, 10, 25}));
  EXPECT_NE(transcript().find("Keine neue Bemassung generiert !"), std::string::npos);
}

}  // namespace
