// The tag layer on small inline texts: how ASCII and binary files split into groups, where reading
// stops, the errors it names, and how numbers and angles are written back.
#include "cad/dxf/tags.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "cad/dxf/numbers.h"
#include "cad/dxf/tag_writer.h"
#include "tests/dxf/dxf_checks.h"

namespace cad {
namespace {

using testing::BinaryFile;
using testing::dxf_groups;
using testing::dxf_lines;

constexpr double kPi = std::numbers::pi;

struct Read {
  std::vector<Group> groups;
  std::string error;
};

Read read_groups(std::string_view data) {
  Read out;
  GroupReader reader(data);
  Group g;
  while (reader.next(g)) out.groups.push_back(g);
  out.error = reader.error();
  return out;
}

std::vector<int> codes(const Read& r) {
  std::vector<int> out;
  for (const Group& g : r.groups) out.push_back(g.code);
  return out;
}

TEST(AsciiTags, CodesAndNumbersMayCarryBlanksButTextKeepsThem) {
  Read r = read_groups(dxf_lines({"0", "SECTION", "  2  ", "ENTITIES", "\t0", "LINE", " 10",
                                  " 1.5  ", " 20", "2 ", " 70", "     3  ", "  1", " a b "}));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(codes(r), (std::vector<int>{0, 2, 0, 10, 70, 1}));
  EXPECT_EQ(r.groups[1].s(), "ENTITIES");
  EXPECT_EQ(r.groups[3].x(), 1.5);
  EXPECT_EQ(r.groups[3].y(), 2.0);
  EXPECT_EQ(r.groups[4].i(), 3);
  EXPECT_EQ(r.groups[5].s(), " a b ");
}

TEST(AsciiTags, CrLfEndsAndTheEndOfDataWithOrWithoutEofOrALastLineEnd) {
  Read crlf = read_groups("  0\r\nSECTION\r\n  2\r\nHEADER\r\n 40\r\n2.5\r\n");
  ASSERT_EQ(crlf.groups.size(), 3u);
  EXPECT_EQ(crlf.groups[1].s(), "HEADER");
  EXPECT_EQ(crlf.groups[2].x(), 2.5);
  for (std::string_view data :
       {std::string_view("0\nENDSEC"), std::string_view("0\nENDSEC\n\n  \r\n"),
        std::string_view("0\nENDSEC\n  0\nEOF \nignore\ninvalid\ndata\n")}) {
    Read r = read_groups(data);
    EXPECT_EQ(r.error, "") << data;
    EXPECT_EQ(codes(r), (std::vector<int>{0})) << data;
  }
}

TEST(AsciiTags, PointsKeepHowManyCoordinatesTheyCameWith) {
  Read r = read_groups(
      dxf_groups("10 1; 20 2; 30 3; 11 4; 21 5; 40 6; 12 7; 8 L; 1011 1; 1021 2; 1031 3"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(codes(r), (std::vector<int>{10, 11, 40, 12, 8, 1011}));
  EXPECT_EQ(r.groups[0].dims, 3);
  EXPECT_EQ(r.groups[0].pt(), (Vec3{1, 2, 3}));
  EXPECT_EQ(r.groups[1].dims, 2);
  EXPECT_EQ(r.groups[3].dims, 1);
  EXPECT_EQ(r.groups[3].x(), 7);
  EXPECT_EQ(r.groups[5].pt(), (Vec3{1, 2, 3}));
}

TEST(AsciiTags, AnglesBecomeRadiansAndWholeRealsAreTakenAsIntegers) {
  Read r = read_groups(dxf_groups("50 90; 1040 90; 70 1.0"));
  ASSERT_EQ(r.groups.size(), 3u);
  EXPECT_DOUBLE_EQ(r.groups[0].x(), kPi / 2);
  EXPECT_EQ(r.groups[1].x(), 90);  // extended data reals are no angles
  EXPECT_EQ(r.groups[2].i(), 1);
}

TEST(AsciiTags, MalformedTagsNameTheLineAndWhatWasExpected) {
  const std::pair<std::string, std::string> cases[] = {
      {dxf_lines({"0", "LINE", "x8", "0"}), "line 3: expected a group code, got 'x8'"},
      {dxf_groups("0 LINE; 10 abc"), "line 4: group code 10 expects a number, got 'abc'"},
      {dxf_lines({"10", "1", "20", ""}), "line 4: group code 20 expects a number, got ''"},
      {dxf_groups("70 1.5"), "line 2: group code 70 expects an integer, got '1.5'"},
      {dxf_lines({"0", "LINE", "8"}), "line 3: group code 8 has no value (the file ends)"},
  };
  for (const auto& [file, error] : cases) EXPECT_EQ(read_groups(file).error, error) << file;
}

BinaryFile line_file(bool two_byte_codes) {
  BinaryFile f(two_byte_codes);
  f.text(0, "SECTION").text(2, "ENTITIES").text(0, "LINE").text(5, "1A").text(8, "0");
  f.real(10, 1.5).real(20, 2.5).real(30, 0).real(11, 4).real(21, 5).real(50, 45);
  f.int16(62, -3).text(1001, "ACAD").int16(1070, 7).chunk(1004, "\xDE\xAD\xBE\xEF");
  f.text(0, "ENDSEC").text(0, "EOF").text(0, "trailing garbage");
  return f;
}

void expect_line_groups(const Read& r) {
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(codes(r), (std::vector<int>{0, 2, 0, 5, 8, 10, 11, 50, 62, 1001, 1070, 1004, 0}));
  EXPECT_EQ(r.groups[3].s(), "1A");
  EXPECT_EQ(r.groups[5].pt(), (Vec3{1.5, 2.5, 0}));
  EXPECT_EQ(r.groups[5].dims, 3);
  EXPECT_EQ(r.groups[6].dims, 2);
  EXPECT_DOUBLE_EQ(r.groups[7].x(), kPi / 4);
  EXPECT_EQ(r.groups[8].i(), -3);
  EXPECT_EQ(r.groups[9].s(), "ACAD");
  EXPECT_EQ(r.groups[10].i(), 7);
  EXPECT_EQ(r.groups[11].s(), "DEADBEEF");
  EXPECT_EQ(r.groups[12].s(), "ENDSEC");
}

TEST(BinaryTags, R12FormWithOneByteCodesAndEscapedLargeCodesAndR13FormWithTwoByteCodes) {
  for (bool two_byte : {false, true}) {
    SCOPED_TRACE(two_byte ? "two-byte codes" : "one-byte codes");
    expect_line_groups(read_groups(line_file(two_byte).bytes()));
  }
}

TEST(BinaryTags, TruncatedFilesNameTheByteOffset) {
  BinaryFile f(true);
  f.text(0, "SECTION").text(2, "ENTITIES").text(0, "LINE");
  size_t at = f.bytes().size();
  f.real(10, 1.5);
  std::string cut = f.bytes().substr(0, f.bytes().size() - 3);
  EXPECT_EQ(read_groups(cut).error, "byte " + std::to_string(at) +
                                        ": the file ends inside the value of group code 10 (8 "
                                        "bytes expected)");
  std::string open_text = f.bytes() + std::string("\x08\x00", 2) + "LAY";
  EXPECT_EQ(read_groups(open_text).error,
            "byte " + std::to_string(f.bytes().size()) +
                ": the file ends inside the text of group code 8 (no terminating zero byte)");
}

TEST(Numbers, RealsAndAnglesAreWrittenShortestAndReadBackExactly) {
  const std::pair<double, std::string> reals[] = {{0.1, "0.1"}, {1, "1"}, {-2.5, "-2.5"}};
  for (const auto& [v, text] : reals) EXPECT_EQ(format_real(v), text);
  const std::pair<double, std::string> degrees[] = {
      {86, "86"}, {90, "90"}, {-45.5, "-45.5"}, {359.99, "359.99"}, {0, "0"}};
  for (const auto& [v, text] : degrees) EXPECT_EQ(format_angle(degrees_to_radians(v)), text);
  for (double v : {1.0 / 3, 1e20, -1e-300, 523.5137447647758, 0.30000000000000004})
    EXPECT_EQ(std::stod(format_real(v)), v) << format_real(v);
  // Radians the host computed, not converted from a decimal: still read back exactly.
  for (double radians : {kPi / 3, 2.0, -0.7853981633974483, 1e-9})
    EXPECT_EQ(degrees_to_radians(std::stod(format_angle(radians))), radians) << radians;
}

// Reals and integers take a quicker path when they are plain; every form must still give the value
// the C library reads, on a line of its own or last in the data, with LF or CR LF.
TEST(Numbers, EveryFormReadsAsTheCLibraryReadsIt) {
  std::vector<std::string> reals = {"0",   "-0",    "0.1", "5.",   ".5",    "-.5",
                                    "0.3", "+3.25", "1e3", "1E-7", "  42  "};
  for (const char* long_form :
       {"9007199254740992", "9007199254740993", "123456789.123456789", "0.00000000000000000000001",
        "1234567890123456789", "12345678901234567890"})
    reals.emplace_back(long_form);
  std::mt19937_64 rng(7);
  for (int k = 0; k < 3000; ++k) {
    // Random digits before and after a point, up to 24 in all.
    std::string text = rng() % 3 == 0 ? "-" : "";
    for (int d = static_cast<int>(rng() % 12); d > 0; --d) text += char('0' + rng() % 10);
    text += '.';
    for (int d = static_cast<int>(rng() % 13); d > 0; --d) text += char('0' + rng() % 10);
    if (text.find_first_of("0123456789") != std::string::npos) reals.push_back(text);
  }
  for (const std::string& text : reals) {
    const double expected = std::strtod(text.c_str(), nullptr);
    for (std::string_view end : {"\n", "\r\n", ""}) {
      Read r = read_groups(" 40\n" + text + std::string(end));
      ASSERT_EQ(r.error, "") << text;
      ASSERT_EQ(r.groups.size(), 1u) << text;
      EXPECT_EQ(std::bit_cast<uint64_t>(r.groups[0].x()), std::bit_cast<uint64_t>(expected))
          << text;
    }
  }
  const std::pair<std::string, int64_t> integers[] = {{"0", 0},
                                                      {"-32768", -32768},
                                                      {" 7 ", 7},
                                                      {"123456789012345678", 123456789012345678},
                                                      {"1234567890123456789", 1234567890123456789},
                                                      {"-9223372036854775808", INT64_MIN}};
  for (const auto& [text, expected] : integers) {
    Read r = read_groups(dxf_lines({"160", text}));
    ASSERT_EQ(r.error, "") << text;
    EXPECT_EQ(r.groups[0].i(), expected) << text;
  }
  EXPECT_EQ(read_groups(dxf_groups("40 1.5x")).error,
            "line 2: group code 40 expects a number, got '1.5x'");
  EXPECT_EQ(read_groups(dxf_groups("70 99999999999999999999")).error,
            "line 2: group code 70 expects an integer, got '99999999999999999999'");
}

TEST(AsciiTags, CodeLinesOfEveryAlignment) {
  Read r = read_groups(dxf_lines({"  8", "A", " 8", "B", "8", "C", "8  ", "D", "1001", "E",
                                  "  1001", "F", "\t8", "G", "008", "H"}));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(codes(r), (std::vector<int>{8, 8, 8, 8, 1001, 1001, 8, 8}));
  EXPECT_EQ(read_groups(dxf_lines({" 1 0", "1"})).error,
            "line 1: expected a group code, got '1 0'");
  EXPECT_EQ(read_groups(dxf_lines({"1 0", "1"})).error, "line 1: expected a group code, got '1 0'");
}

TEST(TagWriting, CodesAreRightAlignedAndPointsWriteTheirCoordinates) {
  TextCodec codec;
  TagWriter w(codec);
  w.text(0, "LINE");
  w.group(Group::point(10, {1, 2, 3}));
  w.group(Group::point(10, {1, 2, 0}, 2));
  w.group(Group::text(100, "AcDbLine"));
  w.group(Group::integer(1070, -4));
  w.group(Group::real(50, degrees_to_radians(86)));
  EXPECT_EQ(w.out(), dxf_lines({"  0", "LINE", " 10", "1", " 20", "2", " 30", "3", " 10", "1",
                                " 20", "2", "100", "AcDbLine", "1070", "-4", " 50", "86"}));
}

TEST(TagWriting, ControlCharactersAndCaretsTakeCaretFormAndReadBack) {
  TextCodec codec;
  TagWriter w(codec);
  std::string text = "two\nlines\twith ^ caret";
  w.text(1, text);
  EXPECT_EQ(w.out(), dxf_lines({"  1", "two^Jlines^Iwith ^  caret"}));
  Read r = read_groups(w.out());
  ASSERT_EQ(r.groups.size(), 1u);
  EXPECT_EQ(r.groups[0].s(), text);
}

}  // namespace
}  // namespace cad
