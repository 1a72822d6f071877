// Selection sets and input calls through the C interface, with replies from a script.
#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

class SelectionTest : public HostFixture {
 protected:
  SelectionTest() {
    horizontal_ = make_line(0, 0, 10, 0, L"A");
    vertical_ = make_line(20, -5, 20, 5, L"B");
    far_ = make_line(100, 100, 110, 100, L"A");
  }
  static int32_t length(const ads_name ss) {
    int32_t n = -1;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    return n;
  }
  // What a person's selection gives, by the entity names of its objects.
  std::vector<int64_t> chosen(std::string_view script) {
    replies(script);
    std::vector<int64_t> names;
    ads_name ss;
    if (acedSSGet(nullptr, nullptr, nullptr, nullptr, ss) != RTNORM) return names;
    for (int32_t k = 0; k < length(ss); ++k) {
      ads_name ent;
      acedSSName(ss, k, ent);
      names.push_back(ent[0]);
    }
    acedSSFree(ss);
    return names;
  }
  std::vector<int64_t> horizontal_, vertical_, far_;
};

TEST_F(SelectionTest, ModeXTakesTheWholeDrawingThroughTheFilter) {
  RbList filter(acutBuildList(RTDXF0, L"LINE", 8, L"a", 0));
  ads_name ss;
  ASSERT_EQ(acedSSGet(L"_X", nullptr, nullptr, filter.get(), ss), RTNORM);
  EXPECT_EQ(length(ss), 2);
  ads_name first;
  ASSERT_EQ(acedSSName(ss, 0, first), RTNORM);
  EXPECT_EQ(first[0], horizontal_[0]);
  EXPECT_EQ(acedSSName(ss, 2, first), RTERROR);
  EXPECT_EQ(acedSSFree(ss), RTNORM);
  EXPECT_EQ(acedSSFree(ss), RTERROR);

  RbList none(acutBuildList(8, L"NOSUCH", 0));
  EXPECT_EQ(acedSSGet(L"X", nullptr, nullptr, none.get(), ss), RTERROR);
  RbList broken(acutBuildList(-4, L"<or", 8, L"A", 0));
  EXPECT_EQ(acedSSGet(L"X", nullptr, nullptr, broken.get(), ss), RTERROR);
}

TEST_F(SelectionTest, FenceTakesAListOfPointsInTheUcs) {
  ads_point p1 = {5, -1, 0}, p2 = {5, 1, 0};
  RbList fence(acutBuildList(RTPOINT, p1, RTPOINT, p2, 0));
  ads_name ss;
  ASSERT_EQ(acedSSGet(L"_F", fence.get(), nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(length(ss), 1);
  acedSSFree(ss);
  // The same fence given in a UCS moved by (0, 50) misses.
  host_.set_ucs(Ucs{{0, 50, 0}});
  EXPECT_EQ(acedSSGet(L"F", fence.get(), nullptr, nullptr, ss), RTERROR);
}

TEST_F(SelectionTest, SetsGrowShrinkAndAnswerMembership) {
  ads_name h = {horizontal_[0], horizontal_[1]}, v = {vertical_[0], vertical_[1]};
  ads_name ss;
  ASSERT_EQ(acedSSAdd(nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(length(ss), 0);
  for (ads_name* e : {&h, &v, &v}) ASSERT_EQ(acedSSAdd(*e, ss, ss), RTNORM);
  EXPECT_EQ(length(ss), 2);
  EXPECT_EQ(acedSSMemb(v, ss), RTNORM);
  EXPECT_EQ(acedSSDel(v, ss), RTNORM);
  EXPECT_EQ(acedSSMemb(v, ss), RTERROR);
  EXPECT_EQ(acedSSDel(v, ss), RTERROR);
  ads_name single;
  ASSERT_EQ(acedSSAdd(v, nullptr, single), RTNORM);
  EXPECT_EQ(length(single), 1);
  EXPECT_NE(single[0], ss[0]);
  acedSSFree(ss);
  acedSSFree(single);
}

// One after the other, as "Previous" needs: a pick, a window and Last; All; Previous with one taken
// out again (the prompt turns to Remove until Add); Undo, which takes back the last selection
// made; a window polygon, which takes what lies inside, and a crossing polygon, what crosses too.
TEST_F(SelectionTest, APersonSelectsByPickWindowKeywordAndPolygon) {
  const int64_t h = horizontal_[0], v = vertical_[0], f = far_[0];
  const std::pair<const char*, std::vector<int64_t>> selections[] = {
      {"5,0.001\n-1,-6 25,6\nL\n\n", {h, v, f}},
      {"ALL\n\n", {h, v, f}},
      {"P\nR\n5,0\nA\n\n", {v, f}},
      {"ALL\nU\nL\n\n", {f}},
      {"WP\n-5,-1\n15,-1\n5,9\n\n\n", {h}},
      {"CP\n5,-1\n25,-1\n5,1\n\n\n", {h, v}}};
  for (const auto& [script, names] : selections) EXPECT_EQ(chosen(script), names) << script;
  EXPECT_NE(transcript().find("Select objects: "), std::string::npos);
  EXPECT_NE(transcript().find("Remove objects: 5,0\n1 found, 1 removed, 2 total\n"),
            std::string::npos)
      << transcript();
  // Erased objects are not found again.
  ads_name gone = {h, horizontal_[1]};
  ASSERT_EQ(acdbEntDel(gone), RTNORM);
  EXPECT_EQ(chosen("P\n\n"), (std::vector<int64_t>{v}));
  // The interface's "P" gives the previous selection, the filter applied: nothing of it is on A.
  RbList on_a(acutBuildList(8, L"A", 0)), on_b(acutBuildList(8, L"B", 0));
  ads_name ss;
  ASSERT_EQ(acedSSGet(L"_P", nullptr, nullptr, on_b.get(), ss), RTNORM);
  EXPECT_EQ(length(ss), 1);
  acedSSFree(ss);
  EXPECT_EQ(acedSSGet(L"_P", nullptr, nullptr, on_a.get(), ss), RTERROR);
  // A window of nothing, and Esc.
  replies("200,200\n210,210\n\n");
  EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTERROR);
  replies("^C\n");
  EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTCAN);
}

TEST_F(SelectionTest, UnfreedSetsOfACommandAreReported) {
  add_command("LEAK", [] {
    ads_name ss;
    acedSSGet(L"X", nullptr, nullptr, nullptr, ss);
  });
  ASSERT_EQ(host_.run_command("LEAK"), CommandResult::kDone);
#ifndef NDEBUG
  EXPECT_NE(transcript().find("left 1 selection set(s) unfreed"), std::string::npos);
#endif
}

TEST_F(SelectionTest, EntSelPicksWhatLiesUnderAPointAndNothingElse) {
  replies("10.0001,0.0001\n50,50\n\n^C\n");
  ads_name ent;
  ads_point at;
  ASSERT_EQ(acedEntSel(L"\nPick: ", ent, at), RTNORM);
  EXPECT_EQ(ent[0], horizontal_[0]);
  EXPECT_DOUBLE_EQ(at[X], 10.0001);
  // Nothing under the point, Enter and Esc.
  for (int status : {RTERROR, RTERROR, RTCAN}) EXPECT_EQ(acedEntSel(L"\nPick: ", ent, at), status);
}

class InputTest : public HostFixture {};

TEST_F(InputTest, KeywordsAnswerRtkwordAndGetInputGivesTheKeyword) {
  replies("u\n\n4,5\n");
  ASSERT_EQ(acedInitGet(0, L"aUssen Innen _Outside Inside"), RTNORM);
  ads_point p;
  EXPECT_EQ(acedGetPoint(nullptr, L"\nPunkt: ", p), RTKWORD);
  ACHAR kw[20];
  ASSERT_EQ(acedGetInput(kw, 20), RTNORM);
  EXPECT_STREQ(kw, L"Outside");
  EXPECT_EQ(acedGetPoint(nullptr, L"\nPunkt: ", p), RTNONE);
  ASSERT_EQ(acedGetPoint(nullptr, L"\nPunkt: ", p), RTNORM);
  EXPECT_DOUBLE_EQ(p[Y], 5);
}

TEST_F(InputTest, DistancesAnglesNumbersAndTexts) {
  replies("3,4\n90\n12\n2.5\nHallo Welt\n");
  ads_point base = {0, 0, 0};
  ads_real d = 0, a = 0, r = 0;
  int i = 0;
  ASSERT_EQ(acedGetDist(base, L"\nDist: ", &d), RTNORM);
  EXPECT_DOUBLE_EQ(d, 5);
  ASSERT_EQ(acedGetOrient(nullptr, L"\nWinkel: ", &a), RTNORM);
  EXPECT_NEAR(a, 1.5707963267948966, 1e-12);
  ASSERT_EQ(acedGetInt(L"\nZahl: ", &i), RTNORM);
  EXPECT_EQ(i, 12);
  ASSERT_EQ(acedGetReal(L"\nReal: ", &r), RTNORM);
  EXPECT_DOUBLE_EQ(r, 2.5);
  ACHAR text[8];
  EXPECT_EQ(acedGetString(1, L"\nText: ", text, 8), RTERROR) << "does not fit";
}

TEST_F(InputTest, GrDrawKeepsTemporaryVectorsInWorldCoordinatesUntilRedraw) {
  host_.set_ucs(Ucs{{1, 1, 0}});
  ads_point a = {0, 0, 0}, b = {1, 0, 0};
  ASSERT_EQ(acedGrDraw(a, b, -1, 0), RTNORM);
  ASSERT_EQ(host_.temp_vectors().size(), 1u);
  EXPECT_EQ(host_.temp_vectors()[0].to, (Vec3{2, 1, 0}));
  // REDRAW clears them.
  ASSERT_EQ(run({text_reply("_redraw")}), kRtNorm);
  EXPECT_TRUE(host_.temp_vectors().empty());
}

}  // namespace
}  // namespace cad::testing
