// Work on one chain costs what the chain holds, not what the drawing holds: the database counts
// every record it is asked for, and a drawing many times larger than the chain, full of other
// entities, other applications' data and dimension blocks, must not show in that count.
#include <string>

#include "cad/dims/drawing_records.h"
#include "chain/chain_data.h"
#include "tests/support/chain_fixture.h"

namespace {

constexpr size_t kOthers = 20000;
// Blocks named as dimension blocks are, so that looking for the next free name by walking the
// blocks would show.
constexpr size_t kDimensionBlocks = 2000;
constexpr size_t kChains = 20;
constexpr size_t kChainDims = 3;
// Records a command may look at per dimension of its chain: its members, their blocks, the
// tables and styles it touches. Far below the drawing's size, far above what the commands need.
constexpr uint64_t kVisitsPerDim = 100;

class ChainScaleTest : public ChainFixture {
 protected:
  void SetUp() override {
    ChainFixture::SetUp();
    cad::Database& db = host().db();
    cad::add_table_record(db, "APPID", {cad::Group::text(2, "PLAN"), cad::Group::integer(70, 0)});
    for (size_t k = 0; k < kOthers; ++k) {
      const std::string layer = k % 2 == 0 ? "WALLS" : "TEXT";
      cad::ensure_layer(db, layer);
      const double x = 100 + static_cast<double>(k % 100);
      const double y = static_cast<double>(k / 100);
      cad::Record rec{"LINE",
                      {cad::Group::text(8, layer), cad::Group::point(10, {x, y, 0}),
                       cad::Group::point(11, {x + 0.5, y, 0})}};
      if (k % 10 == 0) rec.set_xdata("PLAN", {cad::Group::text(1000, "wall")});
      db.add_entity(std::move(rec));
    }
    for (size_t k = 1; k <= kDimensionBlocks; ++k)
      cad::add_block_with_record(db, "*D" + std::to_string(k), 1);
    // Chains among the others, made by the command a user runs.
    std::string make;
    for (size_t k = 0; k < kChains; ++k) {
      const std::string y = std::to_string(5 * k);
      make += "Dulk\n0," + y + "\n3," + y + "\n7," + y + "\n12," + y + "\n\n0," +
              std::to_string(5 * k + 1) + "\n0\n";
    }
    ASSERT_EQ(script(make), 0) << transcript();
    ASSERT_EQ(entities(L"DIMENSION").size(), kChains * kChainDims);
  }

  // The records the database was asked for while body ran.
  uint64_t visits_during(const std::function<void()>& body) {
    const uint64_t before = host().db().visits();
    body();
    return host().db().visits() - before;
  }

  // The dimensions whose chain data names the chain.
  static size_t members_of(const std::wstring& chain) {
    size_t count = 0;
    for (const auto& dim : entities(L"DIMENSION"))
      if (text_group(dim, 1001, true) == chain) ++count;
    return count;
  }
};

TEST_F(ChainScaleTest, UpdatingOneChainLooksAtThatChainNotAtTheDrawing) {
  const auto newest = entities(L"DIMENSION").back();
  const std::wstring chain = text_group(newest, 1001, true);
  // "Last" chooses the newest dimension: its chain is updated, the others stay.
  const uint64_t visits = visits_during([&] { EXPECT_EQ(script("BemUpd\nL\n\n"), 0); });
  EXPECT_EQ(members_of(chain), 0u);
  const std::wstring renewed = text_group(entities(L"DIMENSION").back(), 1001, true);
  EXPECT_NE(renewed, chain);
  EXPECT_EQ(members_of(renewed), kChainDims);
  EXPECT_EQ(entities(L"DIMENSION").size(), kChains * kChainDims);
  EXPECT_LE(visits, kVisitsPerDim * kChainDims) << "records looked at for one chain";
}

TEST_F(ChainScaleTest, ReadingAChainAmongOthersFindsOnlyItsMembers) {
  // A chain in the middle of the drawing, found through one of its members.
  const auto member = entities(L"DIMENSION").at(kChains / 2 * kChainDims + 1);
  std::wstring chain;
  int32_t found = 0;
  const uint64_t visits = visits_during([&] {
    run([&] {
      SsName members;
      ASSERT_EQ(find_chain_members(member.data(), chain, members), RTNORM);
      acedSSLength(members.name(), &found);
    });
  });
  EXPECT_EQ(static_cast<size_t>(found), kChainDims);
  EXPECT_EQ(members_of(chain), kChainDims);
  EXPECT_LE(visits, 10 * kChainDims) << "records looked at to find one chain";
}

}  // namespace
