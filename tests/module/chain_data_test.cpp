// Chain data: tagging members, finding a chain from one member (also after a DXF round trip),
// picking chain dimensions, and growing and shrinking point lists.
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "tests/support/chain_fixture.h"

namespace {

class ChainTest : public ModuleHost {
 protected:
  void make_three_points() { make_chain({{0, 0}, {2, 0}, {5, 0}}, 0, {0, -1}); }
};

Name line_at(double y) {
  ads_point from = {0, y, 0};
  ads_point to = {3, y, 0};
  acedCommandS(RTSTR, L"_line", RTPOINT, from, RTPOINT, to, RTSTR, L"", RTNONE);
  ads_name last;
  acdbEntLast(last);
  return {last[0], last[1]};
}

// The number of members of the chain of dim, and the chain's name in name.
int32_t member_count(const Name& dim, std::wstring& name) {
  SsName members;
  EXPECT_EQ(find_chain_members(dim.data(), name, members), RTNORM);
  int32_t length = 0;
  acedSSLength(members.name(), &length);
  return length;
}

// Also after a DXF round trip.
TEST_F(ChainTest, MembersAreFoundFromAnyMemberAndTwoChainsStayApart) {
  make_three_points();
  make_chain({{0, 4}, {1, 4}}, 0, {0, 3});
  for (int round_trip = 0; round_trip < 2; ++round_trip) {
    SCOPED_TRACE(round_trip);
    const std::vector<Name> made = entities(L"DIMENSION");
    ASSERT_EQ(made.size(), 3u);
    std::wstring name;
    EXPECT_EQ(member_count(made[1], name), 2);
    EXPECT_EQ(name, L"$" + text_group(made[0], 5));
    EXPECT_EQ(member_count(made[2], name), 1);
    EXPECT_EQ(name, L"$" + text_group(made[2], 5));
    cad::ReadResult read = cad::read_dxf(cad::write_dxf(host().db()), "chain.dxf");
    ASSERT_NE(read.db, nullptr) << read.error;
    host().set_db(std::move(read.db));
  }
}

TEST_F(ChainTest, UnresolvableHandleStopsTheTagging) {
  std::vector<Name> lines;
  run([&lines] {
    lines.push_back(line_at(1));
    lines.push_back(line_at(2));
  });
  const std::wstring first = text_group(lines[0], 5);
  RbList handles(new_text_node(RTSTR, first.c_str()));
  handles.get()->rbnext = new_text_node(RTSTR, L"FFFFFFF");
  handles.get()->rbnext->rbnext = new_text_node(RTSTR, text_group(lines[1], 5).c_str());
  run([&handles] { EXPECT_EQ(connect_dim(handles.get()), RTERROR); });
  EXPECT_EQ(text_group(lines[0], 1001, true), L"$" + first);
  EXPECT_EQ(text_group(lines[1], 1001, true), L"");
  // An entity without chain data has no members.
  std::wstring name;
  SsName members;
  run([&] { EXPECT_EQ(find_chain_members(lines[1].data(), name, members), RTERROR); });
  EXPECT_FALSE(members.held());
}

TEST_F(ChainTest, PickingOneChainDimensionSkipsOtherObjects) {
  make_three_points();
  run([] { line_at(5); });
  replies("50,50\n1,5\n1,-1.2\n");
  ads_name picked;
  run([&picked] { EXPECT_EQ(select_chain(picked, false), RTNORM); });
  EXPECT_EQ(text_group({picked[0], picked[1]}, 0), L"DIMENSION");
  EXPECT_NE(transcript().find("Keine Bemassungskette gewaehlt !"), std::string::npos);
}

TEST_F(ChainTest, SelectingChainsKeepsOnlyChainDimensions) {
  make_three_points();
  run([] { line_at(5); });
  replies("1,-1.2\n1,5\n\n");
  run([] {
    ads_name set;
    ASSERT_EQ(select_chain(set, true), RTNORM);
    SsName owned;
    owned.adopt(set);
    int32_t length = 0;
    acedSSLength(owned.name(), &length);
    EXPECT_EQ(length, 1);
  });
  EXPECT_NE(transcript().find("Bemassungskette waehlen"), std::string::npos);
}

// Taking points back (Dulk's "Zurück") from an empty list, or with the counter below one,
// changes neither list nor counter.
TEST_F(ChainTest, PointListShrinksOnlyWhileItHoldsPoints) {
  RbList list(acutNewRb(RT3DPOINT));
  int32_t counter = 1;
  const ads_point a = {1, 2, 3};
  EXPECT_EQ(add_point(a, list.get(), counter), RTNORM);
  EXPECT_EQ(remove_last_point(list.get(), counter), RTNORM);
  remove_last_point(list.get(), counter);
  EXPECT_EQ(counter, 1);
  EXPECT_EQ(list.get()->rbnext, nullptr);
  add_point(a, list.get(), counter);
  counter = 0;
  remove_last_point(list.get(), counter);
  EXPECT_EQ(counter, 0);
  EXPECT_NE(list.get()->rbnext, nullptr);
}

}  // namespace
