// BemAdd, BemDel and BemUpd where a script alone cannot set the drawing up (command_cases.txt
// holds the rest): several chains in their own UCS, style and layer, chains another program
// damaged, many updates of one chain, and remove_point on its own.
#include <numbers>

#include "commands/chain_points.h"
#include "tests/support/chain_fixture.h"

namespace {

class ChainEditTest : public ChainFixture {
 protected:
  // The command on the dimensions under the picks, with the replies before the picks.
  void on_chains(const std::string& command, const std::vector<const SavedDim*>& picks,
                 const std::string& before = "") {
    std::string text = command + "\n" + before;
    for (const SavedDim* dim : picks) text += at(on_line(*dim)) + "\n";
    EXPECT_EQ(script(text + "\n"), 0) << transcript();
  }

  // Takes away group code of the index-th dimension, as another program may leave it.
  void drop_group(size_t index, int code) {
    run([&] {
      RbList data(acdbEntGet(entities(L"DIMENSION").at(index).data()));
      resbuf* before = data.get();
      while (before->rbnext->restype != code) before = before->rbnext;
      resbuf* gone = before->rbnext;
      before->rbnext = gone->rbnext;
      gone->rbnext = nullptr;
      acutRelRb(gone);
      acdbEntMod(data.get());
    });
  }
};

// The nearest point goes with every copy of it, wherever they stand in the list; of equally
// near points the first in the list; distance is taken in space.
TEST_F(ChainEditTest, RemovePointTakesTheNearestWithItsCopies) {
  using Points = std::vector<std::array<double, 3>>;
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
      {"nothing to remove", {}, {0, 0, 0}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RbList list(acutNewRb(RT3DPOINT));
    int32_t count = 1;
    for (const std::array<double, 3>& p : c.points) add_point(p.data(), list.get(), count);
    remove_point(c.picked.data(), list.get(), count);
    Points left;
    for (const resbuf* node = list.get()->rbnext; node != nullptr; node = node->rbnext)
      left.push_back({node->resval.rpoint[X], node->resval.rpoint[Y], node->resval.rpoint[Z]});
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(count, static_cast<int32_t>(c.left.size()) + 1);
  }
  EXPECT_EQ(count_lines(" Keine Punkte mehr in Masskette !"), 1u) << transcript();
}

// Each update leaves the old chain's dimension blocks and application name in the drawing, for
// undo; a save leaves out what nothing uses, so that ten updates save what one saves.
TEST_F(ChainEditTest, TenUpdatesSaveWhatOneSavesAndUndoBringsEachChainBack) {
  make_chain({{0, 0}, {10, 0}, {25, 0}, {40, 0}}, 0, {0, -1});
  const std::string made = saved_bytes();
  on_chains("BemUpd", {&only_chain()[0]});
  const std::string one = saved_bytes();
  for (int k = 1; k < 10; ++k) on_chains("BemUpd", {&only_chain()[1]});
  const std::string ten = saved_bytes();
  // Handles and block numbers have grown a digit here and there.
  EXPECT_NEAR(static_cast<double>(ten.size()), static_cast<double>(one.size()), one.size() * 0.02);
  const cad::ReadResult back = cad::read_dxf(ten, "ten.dxf");
  ASSERT_TRUE(back.db) << back.error;
  // Model and paper space, the settings carrier and the three dimensions' blocks.
  EXPECT_EQ(back.db->blocks().size(), 2u + 1u + 3u);
  size_t chain_apps = 0;
  for (cad::RecordId id : back.db->tables()[back.db->table_index("APPID")].entries)
    chain_apps += back.db->record(id).text(2).starts_with("$") ? 1 : 0;
  EXPECT_EQ(chain_apps, 1u);
  for (int k = 1; k < 10; ++k) EXPECT_EQ(script("U\n"), 0);
  EXPECT_TRUE(saved_bytes() == one);
  EXPECT_EQ(script("U\n"), 0);
  EXPECT_TRUE(saved_bytes() == made);
}

// Two members of one chain picked and one of another: each chain comes back once, in its own UCS,
// style and layer, under a new name; BemAdd gives each the point once, where the user picked it.
TEST_F(ChainEditTest, BemUpdAndBemAddKeepEachChainsUcsStyleAndLayerAndTheUserHisOwn) {
  // The settings of STANDARD are stored first, so that a new style takes them over.
  run([] { get_dimstyle(L"STANDARD"); });
  EXPECT_EQ(script("_-layer\n_make\nA\n\n_dim1\n_save\nS1\n"), 0) << transcript();
  make_chain({{0, 0}, {10, 0}, {20, 0}}, 0, {0, -1});
  EXPECT_EQ(script("_-layer\n_make\nB\n\n_dim1\n_restore\nSTANDARD\n_ucs\n_z\n30\n"), 0);
  make_chain({{0, 10}, {0, 16}, {0, 30}}, std::numbers::pi / 2, {2, 0});
  EXPECT_EQ(script("_-layer\n_make\nC\n\n_ucs\n_z\n45\n"), 0);
  const Environment user = environment();
  const cad::Vec3 added = cad::current_host()->ucs().to_world({40, 0, 0});
  const std::string drawing = saved_bytes();
  const Chains before = chains();
  ASSERT_EQ(before.size(), 2u);
  const std::vector<SavedDim>& a = before.begin()->second;
  const std::vector<SavedDim>& b = std::next(before.begin())->second;
  EXPECT_EQ(a[0].style + b[0].style, "S1STANDARD");
  for (const std::string command : {"BemUpd", "BemAdd"}) {
    SCOPED_TRACE(command);
    on_chains(command, {&a[0], &a[1], &b[0]}, command == "BemAdd" ? "40,0\n\n" : "");
    EXPECT_EQ(environment(), user);
    const Chains after = chains();
    ASSERT_EQ(after.size(), 2u);
    for (const auto& [name, chain] : after) {
      EXPECT_EQ(before.count(name), 0u);
      const bool first = chain[0].layer == "A";
      EXPECT_EQ(chain[0].style, first ? "S1" : "STANDARD");
      EXPECT_EQ(chain[0].layer, first ? "A" : "B");
      const std::vector<SavedDim>& old = first ? a : b;
      const double turn = first ? 0 : std::numbers::pi / 6;
      const cad::Vec3 dir = first ? kX : cad::Vec3{-std::sin(turn), std::cos(turn), 0};
      const cad::Vec3 across = first ? kY : cad::Vec3{std::cos(turn), std::sin(turn), 0};
      Places expected = along(old, dir);
      if (command == "BemAdd") expected.push_back(round6(cad::dot(added, dir)));
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(along(chain, dir), expected);
      EXPECT_EQ(chain.size(), expected.size() - 1);
      EXPECT_EQ(line_across(chain, across), line_across(old, across));
      EXPECT_EQ(line_across(chain, across).size(), 1u);
    }
    EXPECT_EQ(script("_u\n"), 0);
    EXPECT_TRUE(saved_bytes() == drawing);
  }
}

TEST_F(ChainEditTest, VerticalChainInATurnedUcsStaysVertical) {
  // In a turned UCS the offset of a vertical chain is seldom exactly across the Y axis.
  for (int degrees : {33, 57, 71, 103, 161}) {
    EXPECT_EQ(script("_ucs\n_z\n" + std::to_string(degrees) + "\n"), 0);
    make_chain({{1234.567, 10.3}, {1234.567, 17.9}, {1234.567, 31.1}}, std::numbers::pi / 2,
               {1230.1, 0});
    const std::vector<SavedDim> before = only_chain();
    const double turn = degrees * std::numbers::pi / 180;
    const cad::Vec3 dir{-std::sin(turn), std::cos(turn), 0};
    const cad::Vec3 across{std::cos(turn), std::sin(turn), 0};
    EXPECT_EQ(script("_ucs\n_world\n"), 0);
    on_chains("BemUpd", {&before[0]});
    const std::vector<SavedDim> after = only_chain();
    EXPECT_EQ(after.size(), 2u) << degrees;
    EXPECT_EQ(along(after, dir), along(before, dir)) << degrees;
    EXPECT_EQ(line_across(after, across), line_across(before, across)) << degrees;
    run([] {
      for (const Name& dim : entities(L"DIMENSION")) acdbEntDel(dim.data());
    });
  }
}

// A chain that cannot be read whole is kept as it is, and the command goes on with the others.
// BemAdd leaves such a chain without the points.
TEST_F(ChainEditTest, BemUpdKeepsUnreadableChainsAndUpdatesTheOthers) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  make_chain({{0, 10}, {10, 10}, {20, 10}}, 0, {0, 12});
  make_chain({{0, 20}, {10, 20}, {20, 20}}, 0, {0, 22});
  // The first chain's starting dimension has its dimension line on its second origin; a
  // member of the second has lost its first origin.
  set_point(0, 10, dims()[0].origin2);
  drop_group(3, 13);
  const Chains before = chains();
  std::vector<const SavedDim*> picks;
  for (const auto& [name, chain] : before) picks.push_back(&chain[0]);
  on_chains("BemUpd", picks);
  EXPECT_NE(transcript().find("1 found, 3 total"), std::string::npos);
  const Chains after = chains();
  ASSERT_EQ(after.size(), 3u);
  int kept = 0;
  for (const auto& [name, chain] : after) {
    if (before.count(name) == 0) continue;
    ++kept;
    EXPECT_EQ(chain.size(), 2u) << name;
  }
  EXPECT_EQ(kept, 2);

  // Nor does BemAdd make the points a chain of their own for a chain it cannot read.
  const std::string unreadable = dims()[0].chain;
  const size_t said = count_lines(" Keine neue Bemassung generiert !");
  on_chains("BemAdd", {&after.at(unreadable)[0]}, "50,0\n60,0\n\n");
  EXPECT_EQ(chains().size(), 3u);
  EXPECT_EQ(along(chains().at(unreadable), kX), (Places{0, 10, 25}));
  EXPECT_EQ(count_lines(" Keine neue Bemassung generiert !"), said + 1) << transcript();
}

}  // namespace
