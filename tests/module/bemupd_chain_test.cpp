// BemUpd end to end: chains edited by the user come back whole, measured anew, in their own UCS,
// style and layer, and the user's environment is as it was.
#include <numbers>

#include "chain_edit_fixture.h"

namespace {

class BemUpdTest : public ChainEditTest {
 protected:
  void erase(size_t index) {
    run([&] { acdbEntDel(entities(L"DIMENSION").at(index).data()); });
  }

  // BemUpd on the dimensions under the given picks.
  void update(const std::vector<const SavedDim*>& picks) {
    std::string text = "BemUpd\n";
    for (const SavedDim* dim : picks) text += at(on_line(*dim)) + "\n";
    EXPECT_EQ(script(text + "\n"), 0) << transcript();
  }
};

// The dimension line stays where it was although the point on it (group 10) no longer lies square
// to the moved origin: the base line is moved back across the chain only, not along the offset.
TEST_F(BemUpdTest, GripEditedOriginsAreMeasuredAgainOnTheSameDimensionLine) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  const std::vector<SavedDim> before = only_chain();
  // The shared grip moved to 12, and the chain's end to 30.
  set_point(0, 14, {12, before[0].origin2.y, 0});
  set_point(1, 13, {12, before[1].origin1.y, 0});
  set_point(1, 14, {30, before[1].origin2.y, 0});
  update({&before[0]});
  const std::vector<SavedDim> after = only_chain();
  EXPECT_EQ(along(after, kX), (Places{0, 12, 30}));
  EXPECT_NE(after[0].chain, before[0].chain);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].text.substr(0, 5), "12.00");
  EXPECT_EQ(after[1].text.substr(0, 5), "18.00");
  EXPECT_EQ(line_across(after, kY), line_across(before, kY));
}

TEST_F(BemUpdTest, StretchedChainEndIsMeasuredAgain) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  const std::vector<SavedDim> before = only_chain();
  // A crossing window around the chain's last point takes its end 5 further along.
  const cad::Vec3 end = before[1].origin2;
  EXPECT_EQ(script("_stretch\n_c\n" + at(end - cad::Vec3{1, 1, 0}) + "\n" +
                   at(end + cad::Vec3{1, 1, 0}) + "\n\n0,0\n5,0\n"),
            0)
      << transcript();
  const std::vector<SavedDim> stretched = only_chain();
  EXPECT_EQ(along(stretched, kX), (Places{0, 10, 30}));
  EXPECT_EQ(stretched[1].text, before[1].text) << "the text stays until BemUpd";
  update({&stretched[0]});
  const std::vector<SavedDim> after = only_chain();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(along(after, kX), (Places{0, 10, 30}));
  EXPECT_EQ(after[0].text.substr(0, 5), "10.00");
  EXPECT_EQ(after[1].text.substr(0, 5), "20.00");
  EXPECT_EQ(line_across(after, kY), line_across(before, kY));
}

// Each update leaves the old chain's dimension blocks and application name in the drawing, for
// undo; a save leaves out what nothing uses, so that ten updates save what one saves.
TEST_F(BemUpdTest, TenUpdatesSaveWhatOneSavesAndUndoBringsEachChainBack) {
  make_chain({{0, 0}, {10, 0}, {25, 0}, {40, 0}}, 0, {0, -1});
  const std::string made = saved_bytes();
  update({&only_chain()[0]});
  const std::string one = saved_bytes();
  for (int k = 1; k < 10; ++k) update({&only_chain()[1]});
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

  std::string nine_undos;
  for (int k = 1; k < 10; ++k) nine_undos += "U\n";
  EXPECT_EQ(script(nine_undos), 0);
  EXPECT_TRUE(saved_bytes() == one);
  EXPECT_EQ(script("U\n"), 0);
  EXPECT_TRUE(saved_bytes() == made);
}

TEST_F(BemUpdTest, ErasedMiddleMemberComesBackErasedEndMemberIsGone) {
  make_chain({{0, 0}, {10, 0}, {25, 0}, {40, 0}}, 0, {0, 1});
  const std::vector<SavedDim> before = only_chain();
  erase(1);
  update({&before[0]});
  EXPECT_EQ(along(only_chain(), kX), (Places{0, 10, 25, 40}));
  EXPECT_EQ(only_chain().size(), 3u);

  erase(2);
  update({&only_chain()[0]});
  EXPECT_EQ(along(only_chain(), kX), (Places{0, 10, 25}));
  EXPECT_EQ(line_across(only_chain(), kY), line_across(before, kY));
}

TEST_F(BemUpdTest, SeveralMembersOfOneChainRegenerateItOnce) {
  make_chain({{0, 0}, {10, 0}, {25, 0}, {40, 0}}, 0, {0, 1});
  const std::vector<SavedDim> before = only_chain();
  update({&before[0], &before[1], &before[2]});
  const std::vector<SavedDim> after = only_chain();
  EXPECT_EQ(after.size(), 3u);
  EXPECT_EQ(along(after, kX), (Places{0, 10, 25, 40}));
  // Named after its new first dimension.
  RbList first(acdbEntGet(entities(L"DIMENSION").front().data()));
  EXPECT_EQ(after[0].chain, "$" + cad::to_utf8(find_group(first.get(), 5)->resval.rstring));
  EXPECT_NE(after[0].chain, before[0].chain);
}

TEST_F(BemUpdTest, EachChainKeepsItsOwnUcsStyleAndLayerAndTheUserHisOwn) {
  // The settings of STANDARD are stored first, so that a new style takes them over.
  run([] { get_dimstyle(L"STANDARD"); });
  EXPECT_EQ(script("_-layer\n_make\nA\n\n_dim1\n_save\nS1\n"), 0) << transcript();
  make_chain({{0, 0}, {10, 0}, {20, 0}}, 0, {0, -1});
  EXPECT_EQ(script("_-layer\n_make\nB\n\n_dim1\n_restore\nSTANDARD\n_ucs\n_z\n30\n"), 0);
  make_chain({{0, 10}, {0, 16}, {0, 30}}, std::numbers::pi / 2, {2, 0});
  EXPECT_EQ(script("_-layer\n_make\nC\n\n_ucs\n_z\n45\n"), 0);
  const Environment user = environment();
  const Chains before = chains();
  ASSERT_EQ(before.size(), 2u);
  const SavedDim& a = before.begin()->second[0];
  const SavedDim& b = std::next(before.begin())->second[0];
  EXPECT_EQ(a.style + b.style, "S1STANDARD");
  update({&a, &b});

  EXPECT_EQ(environment(), user);
  const Chains after = chains();
  ASSERT_EQ(after.size(), 2u);
  for (const auto& [name, chain] : after) {
    EXPECT_EQ(before.count(name), 0u);
    const bool first = chain[0].layer == "A";
    EXPECT_EQ(chain[0].style, first ? "S1" : "STANDARD");
    EXPECT_EQ(chain[0].layer, first ? "A" : "B");
    const std::vector<SavedDim>& old =
        first ? before.begin()->second : std::next(before.begin())->second;
    const double turn = first ? 0 : std::numbers::pi / 6;
    const cad::Vec3 dir = first ? kX : cad::Vec3{-std::sin(turn), std::cos(turn), 0};
    const cad::Vec3 across = first ? kY : cad::Vec3{std::cos(turn), std::sin(turn), 0};
    EXPECT_EQ(along(chain, dir), along(old, dir));
    EXPECT_EQ(line_across(chain, across), line_across(old, across));
    EXPECT_EQ(line_across(chain, across).size(), 1u);
  }
}

TEST_F(BemUpdTest, VerticalChainInATurnedUcsStaysVertical) {
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
    update({&before[0]});
    const std::vector<SavedDim> after = only_chain();
    EXPECT_EQ(after.size(), 2u) << degrees;
    EXPECT_EQ(along(after, dir), along(before, dir)) << degrees;
    EXPECT_EQ(line_across(after, across), line_across(before, across)) << degrees;
    erase(0);
    erase(0);
  }
}

// A copy moved along its own dimension line lies on that line: one chain with the original.
TEST_F(BemUpdTest, ChainAndItsCopyOnOneLineMergeIntoOne) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  copy_dimensions({5, 0, 0});
  const std::vector<SavedDim> before = only_chain();
  ASSERT_EQ(before.size(), 4u);
  update({&before[0]});
  const std::vector<SavedDim> after = only_chain();
  EXPECT_EQ(along(after, kX), (Places{0, 5, 10, 15, 25, 30}));
  EXPECT_EQ(after.size(), 5u);
}

// A copy elsewhere carries the chain's name but is a chain of its own: editing one leaves the
// other as it was, and afterwards the edited one has a new name while the other keeps the old.
struct CopyCase {
  const char* name;
  const char* script;  // "@" stands for the pick of the edited chain
  bool edit_copy;
  cad::Vec3 shift;
  double turn;  // degrees, about the first dimension's point on its dimension line
  size_t dims_after;
};

void PrintTo(const CopyCase& c, std::ostream* out) { *out << c.name; }

class ChainCopyTest : public BemUpdTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(ChainCopyTest, OnlyTheEditedCopyChanges) {
  const CopyCase& c = GetParam();
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  copy_dimensions(c.shift, c.turn, only_chain()[0].line);
  const std::vector<SavedDim> before = only_chain();
  ASSERT_EQ(before.size(), 4u);
  const std::vector<SavedDim> kept(before.begin() + (c.edit_copy ? 0 : 2),
                                   before.begin() + (c.edit_copy ? 2 : 4));
  std::string text = c.script;
  text.replace(text.find('@'), 1, at(on_line(before[c.edit_copy ? 2 : 0])));
  EXPECT_EQ(script(text), 0) << transcript();
  const Chains after = chains();
  ASSERT_EQ(after.size(), 2u);
  ASSERT_EQ(after.count(before[0].chain), 1u);
  const std::vector<SavedDim>& untouched = after.at(before[0].chain);
  ASSERT_EQ(untouched.size(), kept.size());
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(untouched[i].text, kept[i].text);
    EXPECT_EQ(untouched[i].origin1, kept[i].origin1);
    EXPECT_EQ(untouched[i].origin2, kept[i].origin2);
    EXPECT_EQ(untouched[i].line, kept[i].line);
  }
  for (const auto& [name, chain] : after) {
    if (name != before[0].chain) {
      EXPECT_EQ(chain.size(), c.dims_after);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ChainCopyTest,
    ::testing::Values(CopyCase("BemUpdOnTheOriginal", "BemUpd\n@\n\n", false, {0, 10, 0}, 0, 2),
                      CopyCase("BemUpdOnTheCopy", "BemUpd\n@\n\n", true, {0, 10, 0}, 0, 2),
                      CopyCase("BemAddOnTheCopy", "BemAdd\n40,10\n\n@\n\n", true, {0, 10, 0}, 0, 3),
                      CopyCase("BemDelOnTheOriginal", "BemDel\n@\n10,0\n\n", false, {0, 10, 0}, 0,
                               1),
                      // Its first dimension still has its point on the original's line, but the
                      // copy runs across it.
                      CopyCase("BemUpdBesideATurnedCopy", "BemUpd\n@\n\n", false, {}, 90, 2)),
    [](const ::testing::TestParamInfo<CopyCase>& info) { return info.param.name; });

TEST_F(BemUpdTest, TextsFollowChangedSettings) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  run([] {
    get_dimstyle(L"STANDARD");
    DimSettings.length_factor = 100.0;
    set_dimstyle(L"STANDARD");
  });
  const std::vector<SavedDim> before = only_chain();
  EXPECT_EQ(before[0].text.substr(0, 5), "10.00");
  update({&before[0]});
  const std::vector<SavedDim> after = only_chain();
  EXPECT_EQ(after[0].text.substr(0, 7), "1000.00");
  EXPECT_EQ(after[1].text.substr(0, 7), "1500.00");
}

TEST_F(BemUpdTest, UndoesInOneStep) {
  EXPECT_EQ(script("_ucs\n_z\n20\n"), 0);
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  make_chain({{0, 5}, {10, 5}, {25, 5}}, 0, {0, 7});
  const std::string before = saved_bytes();
  const Chains chains_before = chains();
  update({&chains_before.begin()->second[0], &std::next(chains_before.begin())->second[0]});
  EXPECT_TRUE(saved_bytes() != before);
  EXPECT_EQ(script("_u\n"), 0);
  EXPECT_TRUE(saved_bytes() == before);
}

// A chain that cannot be read whole is kept as it is, and the command goes on with the others.
TEST_F(BemUpdTest, UnreadableChainsAreKeptAndTheOthersUpdated) {
  make_chain({{0, 0}, {10, 0}, {25, 0}}, 0, {0, -1});
  make_chain({{0, 10}, {10, 10}, {20, 10}}, 0, {0, 12});
  make_chain({{0, 20}, {10, 20}, {20, 20}}, 0, {0, 22});
  // The first chain's starting dimension has its dimension line on its second origin; a
  // member of the second has lost its first origin.
  const std::vector<std::array<int64_t, 2>> dims = entities(L"DIMENSION");
  const std::array<double, 3> origin = point_group(dims[0], 14);
  set_point(0, 10, {origin[0], origin[1], origin[2]});
  run([&] {
    RbList data(acdbEntGet(dims[3].data()));
    resbuf* before = data.get();
    while (before->rbnext->restype != 13) before = before->rbnext;
    resbuf* gone = before->rbnext;
    before->rbnext = gone->rbnext;
    gone->rbnext = nullptr;
    acutRelRb(gone);
    acdbEntMod(data.get());
  });
  const Chains before = chains();
  std::vector<const SavedDim*> picks;
  for (const auto& [name, chain] : before) picks.push_back(&chain[0]);
  update(picks);
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
}

}  // namespace
