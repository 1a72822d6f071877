// The host's one UTF-8 decoder and encoder, and the wide text of the interface.
#include "cad/base/utf8.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/case_file.h"

namespace cad {
namespace {

// Each text with the code points the decoder takes from it and whether the whole text is valid
// (a valid one is written back from them byte for byte), and the code points written as U+FFFD,
// on the table of utf8_cases.txt.
TEST(Utf8, DecodesAndEncodesTheCasesOfTheTable) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("base/utf8_cases.txt");
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    if (c.fields[0] == "encode") {
      ASSERT_EQ(c.fields.size(), 3u);
      std::string out;
      append_utf8(static_cast<char32_t>(std::stoul(c.fields[1], nullptr, 16)), out);
      EXPECT_EQ(out, c.fields[2]);
      continue;
    }
    ASSERT_EQ(c.fields.size(), 5u);
    const std::string& text = c.fields[2];
    std::u32string codes;
    std::istringstream in(c.fields[3]);
    for (std::string hex; in >> hex;)
      codes.push_back(static_cast<char32_t>(std::stoul(hex, nullptr, 16)));
    const bool valid = c.fields[4] == "valid";
    std::vector<size_t> offsets;
    EXPECT_EQ(code_points(text, &offsets), codes);
    ASSERT_EQ(offsets.size(), codes.size() + 1);
    EXPECT_EQ(offsets.back(), text.size());
    EXPECT_EQ(valid_utf8(text), valid);
    std::string encoded;
    for (char32_t code : codes) append_utf8(code, encoded);
    EXPECT_EQ(encoded == text, valid);
    const size_t prefix = valid_utf8_prefix(text);
    EXPECT_TRUE(valid_utf8(std::string_view(text).substr(0, prefix)));
    if (!valid) {
      EXPECT_FALSE(decode_utf8(text, prefix).valid);
    }
    // Each character read alone ends where the next one's offset begins.
    for (size_t k = 0; k + 1 < offsets.size(); ++k)
      EXPECT_EQ(decode_utf8(text, offsets[k]).size, offsets[k + 1] - offsets[k]);
  }
}

// Wide text of the interface: ASCII, the rest, and code units that are no character, in every
// position (the ASCII part is copied apart from the rest).
TEST(Utf8, ConvertsWideTextBothWays) {
  struct Case {
    std::wstring wide;
    std::string utf8;
    bool valid;
  };
  const Case cases[] = {
      {L"", "", true},
      {L"LINE 0,0", "LINE 0,0", true},
      {L"Stra\u00DFe",
       "Stra\xC3\x9F"
       "e",
       true},
      {L"\u00C4rger", "\xC3\x84rger", true},
      {L"a\U0001F600", "a\xF0\x9F\x98\x80", true},
      {std::wstring(L"ab") + static_cast<wchar_t>(0xD800), "ab\xEF\xBF\xBD", false},
      {std::wstring(1, static_cast<wchar_t>(0x110000)) + L"z", "\xEF\xBF\xBDz", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(to_utf8(c.wide), c.utf8);
    EXPECT_EQ(to_utf8(c.wide.c_str()), c.utf8);
    EXPECT_EQ(valid_wide(c.wide.c_str()), c.valid);
    if (c.valid) {
      EXPECT_EQ(to_wide(c.utf8), c.wide);
    }
  }
  EXPECT_EQ(to_utf8(static_cast<const wchar_t*>(nullptr)), "");
  EXPECT_FALSE(valid_wide(nullptr));
  // Bytes of no valid sequence become U+FFFD, one for each byte.
  EXPECT_EQ(to_wide("a\xC0\xAF\xE2\x82"), L"a\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(Utf8, CountsAndCutsByCharacters) {
  EXPECT_EQ(utf8_length("a\xC3\xA4\xE2\x82\xAC"), 3u);
  EXPECT_EQ(truncate_utf8("a\xC3\xA4\xE2\x82\xAC"
                          "b",
                          3),
            "a\xC3\xA4\xE2\x82\xAC");
  EXPECT_EQ(truncate_utf8("a\xC3\xA4", 1), "a");
  EXPECT_EQ(truncate_utf8("ab", 5), "ab");
}

}  // namespace
}  // namespace cad
