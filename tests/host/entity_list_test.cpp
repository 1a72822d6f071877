// Entity lists through the C interface: making, reading, changing and erasing entities, their
// extended data, complex entities, anonymous blocks, handles and symbol tables.
#include <cmath>

#include "cad/ads/undo.h"
#include "cad/base/utf8.h"
#include "tests/support/host_fixture.h"
#include "tests/support/snapshot.h"

namespace cad::testing {
namespace {

using EntityListTest = HostFixture;

// acdbEntMake of the list (released here).
int entmake(resbuf* list) {
  RbList owned(list);
  return acdbEntMake(list);
}

// A text group of the entity's list.
std::wstring group_text(const int64_t* name, int code) {
  return rb_string(RbList(acdbEntGet(name)).get(), code);
}

// The entity's list with the extended data of the applications the pattern names.
RbList entgetx(const std::vector<int64_t>& name, const wchar_t* apps) {
  RbList pattern(acutBuildList(RTSTR, apps, 0));
  return RbList(acdbEntGetX(name.data(), pattern.get()));
}

TEST_F(EntityListTest, EntGetGivesNameTypeHandleThenTheGroupsAsMade) {
  ads_point c = {1.5, 2.5, 0};
  auto made = make_entity(
      acutBuildList(RTDXF0, L"ARC", 8, L"WALLS", 10, c, 40, 2.0, 50, 0.25, 51, 1.5, 62, 3, 0));
  RbList got(acdbEntGet(made.data()));
  ASSERT_TRUE(got);
  EXPECT_EQ(codes(got.get()), (std::vector<int>{-1, 0, 5, 8, 10, 40, 50, 51, 62}));
  EXPECT_EQ(got->resval.rlname[1], made[1]);
  EXPECT_EQ(rb_string(got.get(), 8), L"WALLS");
  // Angles stay radians in lists; the centre is as given.
  EXPECT_DOUBLE_EQ(find_rb(got.get(), 50)->resval.rreal, 0.25);
  EXPECT_DOUBLE_EQ(find_rb(got.get(), 10)->resval.rpoint[Y], 2.5);
  EXPECT_EQ(find_rb(got.get(), 62)->resval.rint, 3);
  // The handle is the record's, and finds the entity again.
  ads_name again;
  ASSERT_EQ(acdbHandEnt(rb_string(got.get(), 5).c_str(), again), RTNORM);
  EXPECT_EQ(again[0], made[0]);
  // The missing layer was made.
  EXPECT_NE(db().table_entry("LAYER", "WALLS"), kNoRecord);
}

TEST_F(EntityListTest, EntMakeTakesTheCurrentLayerWhenNoneIsGiven) {
  make_line(0, 0, 1, 0, L"NOTES");
  ASSERT_EQ(set_var(L"clayer", rb_text(L"notes")), RTNORM);
  ads_point a = {0, 0, 0};
  auto made = make_entity(acutBuildList(RTDXF0, L"CIRCLE", 10, a, 40, 1.0, 0));
  EXPECT_EQ(group_text(made.data(), 8), L"NOTES");
}

// Unknown types and incomplete entities make nothing. No entity holds NaN or infinity, in a
// point, a number or its extended data, nor data of an application not registered. A text style,
// linetype, dimension style or block an entity names must be the drawing's (the real host's entmake
// checks them); only layers are made. Making or changing an entity with any of these is refused and
// changes nothing.
TEST_F(EntityListTest, EntMakeAndEntModRefuseWhatNoEntityMayHold) {
  ASSERT_EQ(acdbRegApp(L"TAV"), RTNORM);
  const double nan = std::nan("");
  ads_point a = {0, 0, 0}, b = {1, 0, 0}, bad = {1, nan, 0}, far = {HUGE_VAL, 0, 0};
  for (resbuf* list :
       {acutBuildList(RTDXF0, L"BLOB", 10, a, 0), acutBuildList(RTDXF0, L"LINE", 10, a, 0),
        acutBuildList(RTDXF0, L"INSERT", 2, L"NOSUCH", 10, a, 0),
        acutBuildList(RTDXF0, L"VERTEX", 10, a, 0),
        acutBuildList(RTDXF0, L"LINE", 10, bad, 11, b, 0),
        acutBuildList(RTDXF0, L"LINE", 10, a, 11, far, 0),
        acutBuildList(RTDXF0, L"CIRCLE", 10, a, 40, HUGE_VAL, 0),
        acutBuildList(RTDXF0, L"ARC", 10, a, 40, 1.0, 50, nan, 51, 1.0, 0),
        acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, -3, 1001, L"TAV", 1040, nan, 0),
        acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, -3, 1001, L"TAV", 1011, far, 0),
        acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, -3, 1001, L"NOBODY", 1000, L"x", 0),
        acutBuildList(RTDXF0, L"TEXT", 10, a, 40, 1.0, 1, L"A", 7, L"ROMANS", 0),
        acutBuildList(RTDXF0, L"MTEXT", 10, a, 40, 1.0, 1, L"A", 7, L"", 0),
        acutBuildList(RTDXF0, L"LINE", 6, L"DASHED", 10, a, 11, b, 0),
        acutBuildList(RTDXF0, L"LINE", 6, L"", 10, a, 11, b, 0),
        acutBuildList(RTDXF0, L"DIMENSION", 2, L"*D7", 10, a, 13, a, 14, b, 0),
        acutBuildList(RTDXF0, L"DIMENSION", 3, L"NOSUCH", 10, a, 13, a, 14, b, 0)}) {
    RbList owned(list);
    EXPECT_EQ(acdbEntMake(list), RTERROR) << to_utf8(rb_string(list, RTDXF0));
  }
  EXPECT_TRUE(db().entities().empty());
  for (resbuf* list : {acutBuildList(RTDXF0, L"TEXT", 10, a, 40, 1.0, 1, L"A", 7, L"standard", 0),
                       acutBuildList(RTDXF0, L"LINE", 6, L"ByBlock", 10, a, 11, b, 0),
                       acutBuildList(RTDXF0, L"DIMENSION", 3, L"STANDARD", 10, a, 13, a, 14, b, 0),
                       acutBuildList(RTDXF0, L"LINE", 6, L"continuous", 10, a, 11, b, 0)}) {
    RbList owned(list);
    EXPECT_EQ(acdbEntMake(list), RTNORM) << to_utf8(rb_string(list, RTDXF0));
  }
  ASSERT_EQ(db().entities().size(), 4u);
  const Snapshot made(host_);
  ads_name name;
  ASSERT_EQ(acdbEntNext(nullptr, name), RTNORM);
  RbList list(acdbEntGet(name));
  acutUpdString(L"ROMANS", find_rb(list.get(), 7)->resval.rstring);
  EXPECT_EQ(acdbEntMod(list.get()), RTERROR);
  ASSERT_EQ(acdbEntLast(name), RTNORM);
  list.reset(acdbEntGet(name));
  find_rb(list.get(), 11)->resval.rpoint[Y] = -HUGE_VAL;
  EXPECT_EQ(acdbEntMod(list.get()), RTERROR);
  list.reset(acdbEntGet(name));
  append(list.get(), acutBuildList(-3, 1001, L"TAV", 1041, nan, 0));
  EXPECT_EQ(acdbEntMod(list.get()), RTERROR);
  EXPECT_EQ(made.diff(Snapshot(host_)), "");
}

// A new layer, block or application needs a name the host takes: at most 255 characters, none
// of < > / \ " : ; ? * | = `, no code unit that is no character. Refused lists change nothing; a
// layer the drawing has is used whatever its name.
TEST_F(EntityListTest, NamesTheHostRefusesMakeNoLayerBlockOrApplication) {
  std::vector<std::wstring> refused = {std::wstring(256, L'A'), std::wstring(L"Half") + L'\xD800',
                                       std::wstring(L"Far") + static_cast<wchar_t>(0x110000)};
  for (wchar_t c : std::wstring(L"<>/\\\":;?*|=`"))
    refused.push_back(std::wstring(L"A") + c + L"B");
  ads_point a = {0, 0, 0}, b = {1, 0, 0};
  auto made = make_entity(acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, 0));
  RbList list(acdbEntGet(made.data()));
  const Snapshot before(host_);
  for (const std::wstring& name : refused) {
    SCOPED_TRACE(to_utf8(name.substr(0, 10)));
    EXPECT_EQ(entmake(acutBuildList(RTDXF0, L"LINE", 8, name.c_str(), 10, a, 11, b, 0)), RTERROR);
    EXPECT_EQ(entmake(acutBuildList(RTDXF0, L"BLOCK", 2, name.c_str(), 10, a, 70, 0, 0)), RTERROR);
    EXPECT_EQ(acdbRegApp(name.c_str()), RTERROR);
    acutUpdString(name.c_str(), find_rb(list.get(), 8)->resval.rstring);
    EXPECT_EQ(acdbEntMod(list.get()), RTERROR);
  }
  // Nor is a layer renamed to such a name.
  ads_name zero;
  make_name(db(), db().table_entry("LAYER", "0"), zero);
  RbList renamed(acutBuildList(-1, zero, 2, L"A<B", 0));
  EXPECT_EQ(acdbEntMod(renamed.get()), RTERROR);
  EXPECT_EQ(before.diff(Snapshot(host_)), "");

  const std::wstring umlauts(255, L'\u00e4');
  EXPECT_EQ(entmake(acutBuildList(RTDXF0, L"LINE", 8, umlauts.c_str(), 10, a, 11, b, 0)), RTNORM);
  EXPECT_EQ(acdbRegApp(umlauts.c_str()), RTNORM);
  // A layer a drawing read brings along is the drawing's own.
  db().add_table_entry(db().table_index("LAYER"),
                       Record{"LAYER", {Group::text(2, "Old:Name"), Group::integer(70, 0)}});
  EXPECT_EQ(entmake(acutBuildList(RTDXF0, L"LINE", 8, L"Old:Name", 10, a, 11, b, 0)), RTNORM);
}

TEST_F(EntityListTest, XdataRoundTripsAndEntGetXPicksApplicationsByPattern) {
  ASSERT_EQ(acdbRegApp(L"TAV"), RTNORM);
  ASSERT_EQ(acdbRegApp(L"OTHER"), RTNORM);
  ads_point a = {0, 0, 0}, b = {5, 0, 0}, c = {1, 2, 3};
  auto made = make_entity(acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, -3, 1001, L"TAV", 1000,
                                        L"STANDARD", 1040, 0.3, 1070, 2, 1001, L"OTHER", 1002, L"{",
                                        1010, c, 1071, 70000, 1002, L"}", 0));

  RbList plain(acdbEntGet(made.data()));
  EXPECT_EQ(find_rb(plain.get(), -3), nullptr);

  RbList tav = entgetx(made, L"tav");
  EXPECT_EQ(codes(tav.get()), (std::vector<int>{-1, 0, 5, 8, 10, 11, -3, 1001, 1000, 1040, 1070}));
  EXPECT_EQ(rb_string(tav.get(), 1000), L"STANDARD");
  EXPECT_DOUBLE_EQ(find_rb(tav.get(), 1040)->resval.rreal, 0.3);
  EXPECT_EQ(find_rb(tav.get(), 1070)->resval.rint, 2);

  RbList all = entgetx(made, L"*");
  EXPECT_EQ(codes(all.get()), (std::vector<int>{-1, 0, 5, 8, 10, 11, -3, 1001, 1000, 1040, 1070,
                                                1001, 1002, 1010, 1071, 1002}));
  EXPECT_EQ(rb_string(all.get(), 1002), L"{");
  EXPECT_DOUBLE_EQ(find_rb(all.get(), 1010)->resval.rpoint[Z], 3);
  EXPECT_EQ(find_rb(all.get(), 1071)->resval.rlong, 70000);

  EXPECT_EQ(find_rb(entgetx(made, L"NOPE").get(), -3), nullptr);

  // New data of one application appended to the plain list, as the module changes an entity,
  // replaces that application's only; the handle stays.
  const std::wstring handle = rb_string(plain.get(), 5);
  append(plain.get(), acutBuildList(-3, 1001, L"TAV", 1000, L"NEW", 0));
  find_rb(plain.get(), 11)->resval.rpoint[X] = 9;
  ASSERT_EQ(acdbEntMod(plain.get()), RTNORM);
  all = entgetx(made, L"*");
  EXPECT_EQ(rb_string(all.get(), 5), handle);
  EXPECT_DOUBLE_EQ(find_rb(all.get(), 11)->resval.rpoint[X], 9);
  EXPECT_EQ(codes(all.get()),
            (std::vector<int>{-1, 0, 5, 8, 10, 11, -3, 1001, 1000, 1001, 1002, 1010, 1071, 1002}));
  EXPECT_EQ(rb_string(all.get(), 1001), L"TAV");
  EXPECT_EQ(rb_string(all.get(), 1000), L"NEW");
}

TEST_F(EntityListTest, XdataOfAnUnregisteredApplicationIsRefusedUntilItIsRegistered) {
  auto line = make_line(0, 0, 1, 1);
  RbList list(acdbEntGet(line.data()));
  append(list.get(), acutBuildList(-3, 1001, L"NOBODY", 1000, L"x", 0));
  EXPECT_EQ(acdbEntMod(list.get()), RTERROR);
  EXPECT_EQ(acdbRegApp(L"NOBODY"), RTNORM);
  EXPECT_EQ(acdbRegApp(L"nobody"), RTERROR);
  EXPECT_EQ(acdbEntMod(list.get()), RTNORM);
}

// An erased entity is out of reach until restored: no list of it, and a list kept from before
// changes nothing.
TEST_F(EntityListTest, EntDelErasesAndASecondCallRestores) {
  auto first = make_line(0, 0, 1, 0);
  auto second = make_line(0, 1, 1, 1);
  RbList kept(acdbEntGet(second.data()));
  find_rb(kept.get(), 11)->resval.rpoint[X] = 9;
  ASSERT_EQ(acdbEntDel(second.data()), RTNORM);
  EXPECT_EQ(acdbEntGet(second.data()), nullptr);
  EXPECT_EQ(acdbEntMod(kept.get()), RTERROR);
  ads_name last;
  ASSERT_EQ(acdbEntLast(last), RTNORM);
  EXPECT_EQ(last[0], first[0]);
  ASSERT_EQ(acdbEntDel(second.data()), RTNORM);
  RbList back(acdbEntGet(second.data()));
  EXPECT_DOUBLE_EQ(find_rb(back.get(), 11)->resval.rpoint[X], 1);
  ASSERT_EQ(acdbEntLast(last), RTNORM);
  EXPECT_EQ(last[0], second[0]);
}

TEST_F(EntityListTest, HandlesAreNeverGivenTwiceEvenAfterUndo) {
  std::vector<std::wstring> handles;
  const auto make = [&] { handles.push_back(group_text(make_line(0, 0, 1, 0).data(), 5)); };
  ASSERT_EQ(run(make), CommandResult::kDone);
  ASSERT_EQ(run([] {
              ads_name name;
              ASSERT_EQ(acdbEntLast(name), RTNORM);
              ASSERT_EQ(acdbEntDel(name), RTNORM);
            }),
            CommandResult::kDone);
  ASSERT_TRUE(host_.undo().back_one());  // the erasing
  ASSERT_TRUE(host_.undo().back_one());  // the making
  EXPECT_TRUE(db().entities().empty());
  ASSERT_EQ(run(make), CommandResult::kDone);
  ASSERT_EQ(handles.size(), 2u);
  EXPECT_NE(handles[0], handles[1]);
  EXPECT_EQ(db().find_handle(to_utf8(handles[0])), kNoRecord);
}

TEST_F(EntityListTest, PolylineAppearsOnlyAtSeqendAndEntNextWalksItsVertices) {
  auto line = make_line(0, 0, 1, 0);
  ads_point origin = {0, 0, 0}, p2 = {10, 0, 0};
  EXPECT_EQ(make_entity(acutBuildList(RTDXF0, L"POLYLINE", 66, 1, 10, origin, 70, 0, 0)), line);
  make_entity(acutBuildList(RTDXF0, L"VERTEX", 10, origin, 0));
  EXPECT_EQ(make_entity(acutBuildList(RTDXF0, L"VERTEX", 10, p2, 0)), line)
      << "the polyline must not show before its SEQEND";
  auto poly_name = make_entity(acutBuildList(RTDXF0, L"SEQEND", 0));
  EXPECT_EQ(group_text(poly_name.data(), 0), L"POLYLINE");

  auto walk = [] {
    std::vector<std::wstring> types;
    ads_name at;
    for (int status = acdbEntNext(nullptr, at); status == RTNORM; status = acdbEntNext(at, at))
      types.push_back(group_text(at, 0));
    return types;
  };
  EXPECT_EQ(walk(),
            (std::vector<std::wstring>{L"LINE", L"POLYLINE", L"VERTEX", L"VERTEX", L"SEQEND"}));
  // Erasing the polyline takes its vertices along, and a second call brings them back.
  ASSERT_EQ(acdbEntDel(poly_name.data()), RTNORM);
  EXPECT_EQ(walk(), std::vector<std::wstring>{L"LINE"});
  ASSERT_EQ(acdbEntDel(poly_name.data()), RTNORM);
  EXPECT_EQ(walk().size(), 5u);
}

TEST_F(EntityListTest, AnonymousBlockGetsItsNameThroughGetInput) {
  ads_point origin = {0, 0, 0};
  RbList begin(acutBuildList(RTDXF0, L"BLOCK", 2, L"*UNAMED", 8, L"0", 70, 1, 10, origin, 0));
  RbList end(acutBuildList(RTDXF0, L"ENDBLK", 0));
  const auto anonymous = [&] {
    EXPECT_EQ(acdbEntMake(begin.get()), RTNORM);
    EXPECT_EQ(acdbEntMake(end.get()), RTKWORD);
    ACHAR name[20] = L"";
    EXPECT_EQ(acedGetInput(name, 20), RTNORM);
    return std::wstring(name);
  };
  const std::wstring name = anonymous();
  EXPECT_EQ(name.substr(0, 2), L"*U");
  EXPECT_NE(db().block_index(to_utf8(name)), Database::npos);
  auto made =
      make_entity(acutBuildList(RTDXF0, L"INSERT", 8, L"0", 2, name.c_str(), 10, origin, 0));
  EXPECT_EQ(group_text(made.data(), 2), name);
  EXPECT_NE(anonymous(), name) << "a second anonymous block gets a name of its own";

  // The block lists in the table "BLOCK", without entities to name.
  RbList entry(acdbTblSearch(L"BLOCK", name.c_str(), 0));
  ASSERT_TRUE(entry);
  EXPECT_EQ(find_rb(entry.get(), 70)->resval.rint, 1);
  EXPECT_EQ(find_rb(entry.get(), -2), nullptr);
}

TEST_F(EntityListTest, BlockEntitiesGoIntoTheBlockAndTblSearchNamesTheFirst) {
  ads_point origin = {0, 0, 0}, a = {0, 0, 0}, b = {1, 1, 0};
  ASSERT_EQ(entmake(acutBuildList(RTDXF0, L"BLOCK", 2, L"MARK", 70, 0, 10, origin, 0)), RTNORM);
  ASSERT_EQ(entmake(acutBuildList(RTDXF0, L"LINE", 10, a, 11, b, 0)), RTNORM);
  ASSERT_EQ(entmake(acutBuildList(RTDXF0, L"ENDBLK", 0)), RTNORM);
  ads_name last;
  EXPECT_EQ(acdbEntLast(last), RTERROR) << "block contents are no main entities";
  RbList entry(acdbTblSearch(L"block", L"mark", 0));
  ASSERT_TRUE(entry);
  const resbuf* first = find_rb(entry.get(), -2);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(group_text(first->resval.rlname, 0), L"LINE");
}

TEST_F(EntityListTest, TblNextWalksATableAndTblSearchSetsItsPlace) {
  for (const wchar_t* layer : {L"A", L"B", L"C"}) make_line(0, 0, 1, 1, layer);
  std::vector<std::wstring> names;
  for (RbList e(acdbTblNext(L"LAYER", 1)); e; e.reset(acdbTblNext(L"LAYER", 0)))
    names.push_back(rb_string(e.get(), 2));
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[names.size() - 3], L"A");
  RbList b(acdbTblSearch(L"LAYER", L"b", 1));
  ASSERT_TRUE(b);
  EXPECT_EQ(codes(b.get())[0], 0);
  EXPECT_EQ(rb_string(b.get(), 0), L"LAYER");
  EXPECT_EQ(find_rb(b.get(), 5), nullptr) << "handles are not part of a table entry";
  RbList next(acdbTblNext(L"LAYER", 0));
  EXPECT_EQ(rb_string(next.get(), 2), L"C");
  EXPECT_EQ(acdbTblSearch(L"LAYER", L"NOSUCH", 0), nullptr);
}

TEST_F(EntityListTest, NamesOfAnotherDrawingFindNothing) {
  auto line = make_line(0, 0, 1, 0);
  host_.set_db(std::make_unique<Database>());
  EXPECT_EQ(acdbEntGet(line.data()), nullptr);
  EXPECT_EQ(acdbEntDel(line.data()), RTERROR);
}

}  // namespace
}  // namespace cad::testing
