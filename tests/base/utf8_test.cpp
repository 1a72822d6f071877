// The host's one UTF-8 decoder and encoder, and the wide text of the interface.
#include "cad/base/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace cad {
namespace {

// Each text with the code points the decoder takes from it, a byte of no valid sequence standing
// for its own number, and whether the whole text is valid.
TEST(Utf8, DecodesValidTextAndTakesEachByteOfABrokenSequenceAlone) {
  struct Case {
    const char* name;
    std::string text;
    std::u32string codes;
    bool valid;
  };
  const Case cases[] = {
      {"ascii", "A~\x7F", U"A~\x7F", true},
      {"two, three and four bytes", "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", U"ä€😀", true},
      {"the last character", "\xF4\x8F\xBF\xBF", U"\U0010FFFF", true},
      {"first of each length", "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", U"\x80\x800\x10000", true},
      {"overlong two bytes", "\xC0\xAF", U"\xC0\xAF", false},
      {"overlong three bytes", "\xE0\x80\xA3", U"\xE0\x80\xA3", false},
      {"overlong four bytes", "\xF0\x8F\xBF\xBF", U"\xF0\x8F\xBF\xBF", false},
      {"surrogate", "a\xED\xA0\x80", U"a\xED\xA0\x80", false},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", U"\xF4\x90\x80\x80", false},
      {"lead byte past F4", "\xF5\x80\x80\x80", U"\xF5\x80\x80\x80", false},
      {"truncated at the end", "x\xE2\x82", U"x\xE2\x82", false},
      {"truncated by a new character",
       "\xE2\x82"
       "A\xC3\xA4",
       U"\xE2\x82"
       "Aä",
       false},
      {"stray continuation", "\x80z", U"\x80z", false},
      {"latin-1 byte",
       "Gr\xFC\xDF"
       "e",
       U"Gr\xFC\xDF"
       "e",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<size_t> offsets;
    EXPECT_EQ(code_points(c.text, &offsets), c.codes);
    ASSERT_EQ(offsets.size(), c.codes.size() + 1);
    EXPECT_EQ(offsets.back(), c.text.size());
    EXPECT_EQ(valid_utf8(c.text), c.valid);
    const size_t prefix = valid_utf8_prefix(c.text);
    EXPECT_TRUE(valid_utf8(std::string_view(c.text).substr(0, prefix)));
    if (!c.valid) {
      EXPECT_FALSE(decode_utf8(c.text, prefix).valid);
    }
    // Each character read alone ends where the next one's offset begins.
    for (size_t k = 0; k + 1 < offsets.size(); ++k)
      EXPECT_EQ(decode_utf8(c.text, offsets[k]).size, offsets[k + 1] - offsets[k]);
  }
}

TEST(Utf8, EncodesEveryCharacterAndReplacesWhatIsNone) {
  struct Case {
    char32_t code;
    std::string bytes;
  };
  const Case cases[] = {
      {U'A', "A"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      {0xD800, "\xEF\xBF\xBD"},
      {0xDFFF, "\xEF\xBF\xBD"},
      {0x110000, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<unsigned>(c.code));
    std::string out;
    append_utf8(c.code, out);
    EXPECT_EQ(out, c.bytes);
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
