// Result buffers, strings and printing through the C interface. Run under the address sanitizer
// (DULK_SANITIZE) these also prove that lists and strings are released completely.
#include <cstring>
#include <cwchar>

#include "tests/support/host_fixture.h"

namespace cad::testing {
namespace {

class ResbufTest : public HostFixture {};

TEST_F(ResbufTest, BuildListTakesEveryKindOfValue) {
  ads_point p = {1, 2, 3};
  ads_name ename = {7, 9};
  char bytes[] = {0x01, static_cast<char>(0xAB), 0x00};
  ads_binary bin{3, bytes};
  RbList list(acutBuildList(RTSTR, L"text", RTSHORT, 12, RTLONG, 123456, RTREAL, 2.5, RTANG, 0.5,
                            RTPOINT, p, RT3DPOINT, p, RTENAME, ename, RTLB, RTLE, RTDXF0, L"LINE",
                            -4, L"<or", -3, 1001, L"APP", 40, 3.25, 70, 4, 90, 99999, 10, p, 310,
                            &bin, 5, L"1F", 0));
  ASSERT_TRUE(list);
  EXPECT_EQ(codes(list.get()),
            (std::vector<int>{RTSTR,   RTSHORT, RTLONG, RTREAL, RTANG, RTPOINT, RT3DPOINT,
                              RTENAME, RTLB,    RTLE,   RTDXF0, -4,    -3,      1001,
                              40,      70,      90,     10,     310,   5}));
  // Values of each kind of group code: text, short, long, real, point, name, binary.
  EXPECT_EQ(rb_string(list.get(), -4), L"<or");
  EXPECT_EQ(find_rb(list.get(), 70)->resval.rint, 4);
  EXPECT_EQ(find_rb(list.get(), 90)->resval.rlong, 99999);
  EXPECT_DOUBLE_EQ(find_rb(list.get(), 40)->resval.rreal, 3.25);
  EXPECT_DOUBLE_EQ(find_rb(list.get(), RT3DPOINT)->resval.rpoint[Z], 3);
  EXPECT_EQ(find_rb(list.get(), RTENAME)->resval.rlname[1], 9);
  const resbuf* b = find_rb(list.get(), 310);
  ASSERT_EQ(b->resval.rbinary.clen, 3);
  EXPECT_EQ(std::memcmp(b->resval.rbinary.buf, bytes, 3), 0);
  EXPECT_EQ(acutBuildList(RTSTR, L"kept?", 4711, 1.0, 0), nullptr) << "an unknown type";
}

// The text functions answer with the object interface's status, as the real host's do: eOk
// (0) on success, never RTNORM, which a caller comparing with RTNORM would take for a failure.
TEST_F(ResbufTest, NewRbHoldsNoStringAndStringsAreMadeCopiedUpdatedAndDeleted) {
  resbuf* rb = acutNewRb(RTSTR);
  ASSERT_NE(rb, nullptr);
  EXPECT_EQ(rb->resval.rstring, nullptr);
  EXPECT_EQ(rb->rbnext, nullptr);
  ASSERT_EQ(acutUpdString(L"abc", rb->resval.rstring), Acad::eOk);
  rb->rbnext = acutNewRb(1000);
  EXPECT_EQ(acutRelRb(rb), RTNORM);

  ACHAR* s = nullptr;
  ASSERT_EQ(acutNewString(s, 4), Acad::eOk);
  ASSERT_NE(s, nullptr);
  std::wcscpy(s, L"abc");
  ASSERT_EQ(acutUpdString(L"longer than four", s), Acad::eOk);
  EXPECT_STREQ(s, L"longer than four");
  ASSERT_EQ(acutUpdString(nullptr, s), Acad::eOk);
  EXPECT_EQ(s, nullptr);
  ASSERT_EQ(acutNewString(L"kopiert", s), Acad::eOk);
  EXPECT_STREQ(s, L"kopiert");
  acutDelString(s);
  EXPECT_EQ(s, nullptr);
  // A buffer needs room for its terminator at least, and is at most 512 M characters.
  ACHAR before[1] = {L'x'};
  for (Adesk::Int32 count : {0, -1, 512 * 1024 * 1024 + 1}) {
    s = before;
    EXPECT_EQ(acutNewString(s, count), Acad::eInvalidInput) << count;
    EXPECT_EQ(s, nullptr) << count;
  }
}

class PrintTest : public HostFixture {};

TEST_F(PrintTest, PercentSReadsWideTextAsTheRealHostDoesAndAlertAndFailPrintToo) {
  acutPrintf(L"\nStil \"%s\" nicht gefunden: %d %c %.2f", L"Maße", 42, L'ü', 1.5);
  EXPECT_EQ(transcript(), "\nStil \"Maße\" nicht gefunden: 42 ü 1.50");
  acutPrintf(L"\n%ls|%hs|%5s|%-3s|%%s", L"wide", "narrow", L"ab", L"x");
  EXPECT_NE(transcript().find("\nwide|narrow|   ab|x  |%s"), std::string::npos) << transcript();
  // An alert and a failure show their text on the command line.
  acedAlert(L"Achtung");
  acdbFail(L"kaputt");
  EXPECT_NE(transcript().find("kaputt"), std::string::npos);
  EXPECT_NE(transcript().find("Achtung"), std::string::npos);
}

TEST_F(PrintTest, VSPrintfFormatsIntoTheCallersBuffer) {
  auto format = [](ACHAR* buf, size_t len, const ACHAR* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int n = acutVSPrintf(buf, len, fmt, args);
    va_end(args);
    return n;
  };
  ACHAR buf[32];
  EXPECT_EQ(format(buf, 32, L"%s-%d", L"ab", 7), 4);
  EXPECT_STREQ(buf, L"ab-7");
  EXPECT_LT(format(buf, 3, L"%s", L"too long"), 0);
}

}  // namespace
}  // namespace cad::testing
