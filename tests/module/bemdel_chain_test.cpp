// BemDel end to end, and remove_point: the nearest chain point goes with all its copies, the
// dimensions on either side of it become one, and a chain left with one point is gone.
#include "chain_edit_fixture.h"
#include "commands/chain_points.h"

namespace {

class BemDelTest : public ChainEditTest {
 protected:
  // BemDel on the dimension under the pick, removing the points (current UCS, "x,y").
  void remove(const SavedDim& dim, const std::vector<std::string>& points) {
    std::string text = "BemDel\n" + at(on_line(dim)) + "\n";
    for (const std::string& point : points) text += point + "\n";
    EXPECT_EQ(script(text + "\n"), 0) << transcript();
  }

  std::vector<SavedDim> chain_on(double y) {
    for (const auto& [name, chain] : chains()) {
      if (std::abs(chain[0].origin1.y - y) < 2) return chain;
    }
    return {};
  }

  // remove_point on a list of the given points; the points left and the count.
  static std::pair<std::vector<std::array<double, 3>>, int32_t> removed(
      const std::vector<std::array<double, 3>>& points, std::array<double, 3> picked) {
    RbList list(acutNewRb(RT3DPOINT));
    int32_t count = 1;
    for (const std::array<double, 3>& p : points) add_point(p.data(), list.get(), count);
    remove_point(picked.data(), list.get(), count);
    std::vector<std::array<double, 3>> left;
    for (const resbuf* node = list.get()->rbnext; node != nullptr; node = node->rbnext) {
      left.push_back({node->resval.rpoint[X], node->resval.rpoint[Y], node->resval.rpoint[Z]});
    }
    return {left, count};
  }
};

using Points = std::vector<std::array<double, 3>>;

TEST_F(BemDelTest, MiddlePointJoinsItsDimensionsEndPointShortensTheChain) {
  make_chain({{0, 0}, {10, 0}, {25, 0}, {40, 0}}, 0, {0, -1});
  const Environment user = environment();
  const std::string drawing = saved_bytes();
  const std::vector<SavedDim> before = chain_on(-1);
  remove(before[2], {"10,0"});
  EXPECT_EQ(along(chain_on(-1), kX), (Places{0, 25, 40}));
  EXPECT_EQ(line_across(chain_on(-1), kY), line_across(before, kY));
  EXPECT_EQ(environment(), user);
  EXPECT_EQ(script("_u\n"), 0);
  EXPECT_TRUE(saved_bytes() == drawing);

  // A point far from the chain still takes the nearest.
  remove(before[0], {"39,0", "100,50"});
  EXPECT_EQ(along(chain_on(-1), kX), (Places{0, 10}));
  EXPECT_EQ(chains().size(), 1u);
}

TEST_F(BemDelTest, CancelledPointInputChangesNothing) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  const std::string drawing = saved_bytes();
  EXPECT_EQ(script("BemDel\n" + at(on_line(chain_on(-1)[0])) + "\n10,0\n^C\n"), 0);
  EXPECT_TRUE(saved_bytes() == drawing);
}

TEST_F(BemDelTest, ChainsLeftWithOnePointAreGone) {
  make_chain({{0, 0}, {10, 0}}, 0, {0, -1});
  make_chain({{0, 20}, {10, 20}}, 0, {0, 19});
  remove(chain_on(-1)[0], {"0,0"});
  EXPECT_EQ(chains().size(), 1u);
  remove(chain_on(19)[0], {"0,20", "10,20", "5,20"});
  EXPECT_TRUE(chains().empty());
  const std::string text = transcript();
  const size_t empty = text.find("\n Keine Punkte mehr in Masskette !");
  EXPECT_NE(empty, std::string::npos);
  EXPECT_EQ(text.find("Keine Punkte mehr", empty + 2 + 1), std::string::npos);
}

// The nearest point goes with every copy of it, wherever they stand in the list; of equally
// near points the first in the list; distance is taken in space.
TEST_F(BemDelTest, RemovePointTakesTheNearestWithItsCopies) {
  const struct {
    const char* name;
    Points points;
    std::array<double, 3> picked;
    Points left;
  } cases[] = {
      {"copies apart",
       {{10, 0, 0}, {0, 0, 0}, {10.0009, -0.0009, 0}, {25, 0, 0}, {9.999, 0, 0}},
       {11, 4, 0},
       {{0, 0, 0}, {25, 0, 0}, {9.999, 0, 0}}},
      {"equally near, first goes", {{0, 0, 0}, {10, 0, 0}}, {5, 3, 0}, {{10, 0, 0}}},
      {"equally near, reversed", {{10, 0, 0}, {0, 0, 0}}, {5, 3, 0}, {{0, 0, 0}}},
      {"z counts", {{0, 0, 4}, {5, 0, 0}}, {1, 0, 0}, {{0, 0, 4}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto [left, count] = removed(c.points, c.picked);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(count, static_cast<int32_t>(c.left.size()) + 1);
  }
  // A list without points is reported.
  const auto [left, count] = removed({}, {0, 0, 0});
  EXPECT_TRUE(left.empty());
  EXPECT_EQ(count, 1);
  EXPECT_NE(transcript().find("\n Keine Punkte mehr in Masskette !"), std::string::npos);
}

}  // namespace
