// The tag layer on small texts (most in tags_cases.txt): how ASCII and binary files split into
// groups, where reading stops, the errors it names, and how numbers and angles are written back.
#include "cad/dxf/tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "cad/dxf/numbers.h"
#include "cad/dxf/tag_writer.h"
#include "tests/dxf/dxf_checks.h"
#include "tests/support/case_file.h"

namespace cad {
namespace {

using testing::BinaryFile;
using testing::dxf_groups;
using testing::dxf_lines;

struct Read {
  std::vector<Group> groups;
  std::string error;
};

Read read_groups(std::string_view data) {
  Read out;
  // A buffer of exactly the data's size, so that a read past its end is caught by the sanitizers.
  const std::unique_ptr<char[]> exact(new char[data.size()]);
  std::copy(data.begin(), data.end(), exact.get());
  GroupReader reader({exact.get(), data.size()});
  Group g;
  while (reader.next(g)) out.groups.push_back(g);
  out.error = reader.error();
  return out;
}

std::string shortest(double v) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// Reals take a quicker path when they are plain; every form must still give the value the C
// library reads, on a line of its own or last in the data, with LF or CR LF.
void expect_read_as_the_c_library(const std::string& text) {
  const double expected = std::strtod(text.c_str(), nullptr);
  for (std::string_view end : {"\n", "\r\n", ""}) {
    Read r = read_groups(" 40\n" + text + std::string(end));
    ASSERT_EQ(r.error, "") << text;
    ASSERT_EQ(r.groups.size(), 1u) << text;
    EXPECT_EQ(std::bit_cast<uint64_t>(r.groups[0].x()), std::bit_cast<uint64_t>(expected)) << text;
  }
}

// The groups read, "code value" separated by "; ": points with the coordinates they came with.
std::string described(const Read& r) {
  std::string out;
  for (const Group& g : r.groups) {
    out += (out.empty() ? "" : "; ") + std::to_string(g.code) + " ";
    switch (g.type()) {
      case GroupType::kPoint: {
        const double xyz[] = {g.x(), g.y(), g.z()};
        for (int k = 0; k < g.dims; ++k) out += (k ? "," : "") + shortest(xyz[k]);
        break;
      }
      case GroupType::kReal:
        out += shortest(g.x());
        break;
      case GroupType::kText:
      case GroupType::kHandle:
      case GroupType::kBinary:
        out += g.s();
        break;
      default:
        out += std::to_string(g.i());
    }
  }
  return out;
}

// The lines of a case from its field first on, each ended by a line feed.
std::string lines_of(const std::vector<std::string>& fields, size_t first) {
  std::string out;
  for (size_t k = first; k < fields.size(); ++k) out += fields[k] + "\n";
  return out;
}

std::string data_of(const std::vector<std::string>& fields) {
  if (fields[1] == "groups") return dxf_groups(fields.at(3));
  if (fields[1] == "bytes") return fields.at(3);
  EXPECT_EQ(fields[1], "lines");
  return lines_of(fields, 3);
}

// The cases of tags_cases.txt: groups read, messages, numbers written back.
TEST(Tags, TheCasesOfTheTable) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("dxf/tags_cases.txt");
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    const std::string& kind = c.fields[0];
    if (kind == "read" || kind == "refuse") {
      ASSERT_GE(c.fields.size(), 4u);
      const Read r = read_groups(data_of(c.fields));
      EXPECT_EQ(kind == "read" ? described(r) : r.error, c.fields[2]);
      EXPECT_TRUE(kind == "refuse" || r.error.empty()) << r.error;
    } else if (kind == "write") {
      TextCodec codec;
      TagWriter w(codec);
      for (const Group& g : read_groups(dxf_groups(c.fields.at(1))).groups) w.group(g);
      EXPECT_EQ(w.out(), lines_of(c.fields, 2));
    } else {
      // Rows of several values each: pairs of value and text for "real" and "angle".
      const bool pairs = kind == "real" || kind == "angle";
      for (size_t k = 1; k < c.fields.size(); k += pairs ? 2 : 1) {
        const std::string& text = c.fields[k];
        SCOPED_TRACE(text);
        const double v = std::stod(text);
        if (kind == "real") {
          EXPECT_EQ(format_real(v), c.fields.at(k + 1));
        } else if (kind == "angle") {
          EXPECT_EQ(format_angle(degrees_to_radians(v)), c.fields.at(k + 1));
        } else if (kind == "real back") {
          EXPECT_EQ(std::stod(format_real(v)), v) << format_real(v);
        } else if (kind == "radians back") {
          EXPECT_EQ(degrees_to_radians(std::stod(format_angle(v))), v) << format_angle(v);
        } else {
          ASSERT_EQ(kind, "c library");
          expect_read_as_the_c_library(text);
        }
      }
    }
  }
}

// R12's form with one-byte codes (and large codes escaped) and R13's with two-byte codes: what
// the reader reads, the writer writes back byte for byte; a chunk longer than 127 bytes goes in
// several groups, and a text keeps its line breaks as they are.
TEST(BinaryTags, ReadInBothFormsOfCodesAndWrittenAsTheyAreRead) {
  for (bool two_byte : {false, true}) {
    SCOPED_TRACE(two_byte ? "two-byte codes" : "one-byte codes");
    BinaryFile f(two_byte);
    f.text(0, "SECTION").text(2, "ENTITIES").text(0, "LINE").text(5, "1A").text(8, "0");
    f.real(10, 1.5).real(20, 2.5).real(30, 0).real(11, 4).real(21, 5).real(50, 45);
    f.int16(62, -3).text(1001, "ACAD").int16(1070, 7).chunk(1004, "\xDE\xAD\xBE\xEF");
    f.text(0, "ENDSEC").text(0, "EOF").text(0, "trailing garbage");
    std::string file = f.bytes();
    const Read r = read_groups(file);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(
        described(r),
        "0 SECTION; 2 ENTITIES; 0 LINE; 5 1A; 8 0; 10 1.5,2.5,0; 11 4,5; 50 0.7853981633974483; "
        "62 -3; 1001 ACAD; 1070 7; 1004 DEADBEEF; 0 ENDSEC");
    file.erase(file.rfind(std::string("trailing garbage")) - (two_byte ? 2 : 1));
    TextCodec codec;
    TagWriter w(codec, 0, DxfForm::kBinary, !two_byte);
    for (const Group& g : r.groups) w.group(g);
    w.text(0, "EOF");
    EXPECT_EQ(w.out(), file);
  }
  TextCodec codec;
  TagWriter w(codec, 0, DxfForm::kBinary);
  w.text(0, "SECTION");
  w.group(Group::text(310, std::string(2 * 200, 'A')));
  w.text(1, "zwei\nZeilen");
  const Read r = read_groups(w.out());
  ASSERT_EQ(r.groups.size(), 4u);
  EXPECT_EQ(r.groups[1].s(), std::string(2 * 127, 'A'));
  EXPECT_EQ(r.groups[2].s(), std::string(2 * 73, 'A'));
  EXPECT_EQ(r.groups[3].s(), "zwei\nZeilen");
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

// Random digits before and after a point, up to 24 in all, read as the C library reads them.
TEST(Numbers, RandomRealsReadAsTheCLibraryReadsThem) {
  std::mt19937_64 rng(7);
  for (int k = 0; k < 3000; ++k) {
    std::string text = rng() % 3 == 0 ? "-" : "";
    for (int d = static_cast<int>(rng() % 12); d > 0; --d) text += char('0' + rng() % 10);
    text += '.';
    for (int d = static_cast<int>(rng() % 13); d > 0; --d) text += char('0' + rng() % 10);
    if (text.find_first_of("0123456789") != std::string::npos) expect_read_as_the_c_library(text);
  }
}

}  // namespace
}  // namespace cad
