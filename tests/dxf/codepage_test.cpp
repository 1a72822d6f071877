// Text encodings: the code page of $DWGCODEPAGE up to AC1018 (single- and multi-byte), \U+XXXX
// escapes, UTF-8 from AC1021, in both directions through whole files.
#include "cad/dxf/codepage.h"

#include <gtest/gtest.h>

#include "cad/dxf/complete.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "tests/dxf/dxf_checks.h"

namespace cad {
namespace {

using testing::dxf_lines;

// A drawing of one TEXT whose value is given as the file's bytes.
std::string text_file(std::string_view version, std::string_view code_page, std::string_view text) {
  return dxf_lines(
      {"0", "SECTION", "2", "HEADER", "9",  "$ACADVER", "1",  version,    "9",  "$DWGCODEPAGE",
       "3", code_page, "0", "ENDSEC", "0",  "SECTION",  "2",  "ENTITIES", "0",  "TEXT",
       "5", "2F",      "8", "0",      "10", "0",        "20", "0",        "40", "1",
       "1", text,      "0", "ENDSEC", "0",  "EOF"});
}

std::string text_of(const std::string& file) {
  ReadResult r = read_dxf(file, "text.dxf");
  EXPECT_TRUE(r.db) << r.error;
  if (!r.db || r.db->entities().empty()) return {};
  return std::string(r.db->record(r.db->entities().front()).text(1));
}

// The value line of the TEXT's group 1 in a written file.
std::string written_text(const std::string& file) {
  ReadResult r = read_dxf(file, "text.dxf");
  EXPECT_TRUE(r.db) << r.error;
  std::string out = write_dxf(*r.db);
  size_t at = out.find("\n  1\n", out.find("\nTEXT\n"));
  size_t end = out.find('\n', at + 5);
  return out.substr(at + 5, end - at - 5);
}

// Each file's bytes, the text read from them, and the bytes written back.
TEST(CodePages, TextsAreReadAndWrittenBackInTheFilesEncoding) {
  struct Case {
    const char* name;
    std::string_view version, code_page;
    std::string bytes, text, written;
  };
  const Case cases[] = {
      {"dos850 umlauts", "AC1012", "dos850", "Gr\x81\xE1\x65 \x8E", "Grüße Ä",
       "Gr\x81\xE1\x65 \x8E"},
      // 表 (0x95 0x5C) and ソ (0x83 0x5C) end in the byte of "\", which must not start an escape.
      {"dos932 trail bytes", "AC1015", "dos932", "\x95\x5C\x83\x5CU+0041", "表ソU+0041",
       "\x95\x5C\x83\x5CU+0041"},
      // ° is in code page 1252; Ω and 😀 are not and become escapes.
      {"escapes", "AC1018", "ANSI_1252", "94\\U+00B0 \\U+03A9 \\U+D83D\\U+DE00", "94° Ω 😀",
       "94\xB0 \\U+03A9 \\U+D83D\\U+DE00"},
      {"escapes naming no character", "AC1018", "ANSI_1252", "\\U+D83D alone \\U+12 short \\U+0000",
       "\\U+D83D alone \\U+12 short \\U+0000", ""},
      {"utf-8 from AC1021", "AC1021", "ANSI_1252", "Straße \\U+2205", "Straße ∅", "Straße ∅"},
      // Each name the host writes for a code page of its own, not Mac Roman's.
      {"mac-roman", "AC1015", "MAC-ROMAN", "\x8A\xA7", "äß", "\x8A\xA7"},
      {"big5", "AC1015", "BIG5", "\xA4\xA4", "中", "\xA4\xA4"},
      {"ansi_950", "AC1015", "ANSI_950", "\xA4\xA4", "中", "\xA4\xA4"},
      {"gb2312", "AC1015", "GB2312", "\xD6\xD0", "中", "\xD6\xD0"},
      {"ksc5601", "AC1015", "KSC5601", "\xC7\xD1", "한", "\xC7\xD1"},
      {"johab", "AC1015", "JOHAB", "\xD0\x65", "한", "\xD0\x65"},
      // Bytes of no valid sequence (overlong, surrogate, cut short) are the characters of their
      // numbers, so that the drawing holds valid UTF-8.
      {"utf-8 bytes of no valid sequence", "AC1021", "ANSI_1252", "\xC0\xAF \xED\xA0\x80 \xE2\x82",
       "\u00C0\u00AF \u00ED\u00A0\u0080 \u00E2\u0082",
       "\xC3\x80\xC2\xAF \xC3\xAD\xC2\xA0\xC2\x80 \xC3\xA2\xC2\x82"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = text_file(c.version, c.code_page, c.bytes);
    EXPECT_EQ(text_of(file), c.text);
    if (!c.written.empty()) {
      EXPECT_EQ(written_text(file), c.written);
    }
  }
}

TEST(CodePages, BytesTheCodePageDoesNotDefineAreKept) {
  // 0x81 is undefined in code page 1252: it stays the character U+0081 and is written as escape.
  std::string file = text_file("AC1015", "ANSI_1252", "a\x81z");
  EXPECT_EQ(text_of(file), "a\xC2\x81z");
  EXPECT_EQ(text_of(text_file("AC1015", "ANSI_1252", written_text(file))), "a\xC2\x81z");
}

TEST(CodePages, AnUnknownCodePageIsReadAs1252AndNoted) {
  for (const char* name : {"ANSI_9999", "KLINGON"}) {
    ReadResult r = read_dxf(text_file("AC1015", name, "caf\xE9"), "text.dxf");
    ASSERT_TRUE(r.db) << r.error;
    EXPECT_EQ(r.db->record(r.db->entities().front()).text(1), "café");
    ASSERT_FALSE(r.notes.empty());
    EXPECT_EQ(r.notes.front(), "unknown code page '" + std::string(name) + "': read as ANSI_1252");
  }
}

// Up to AC1018 a file's texts are in its code page, so a drawing completed for saving names one;
// from AC1021 they are UTF-8 and none is added.
TEST(CodePages, ADrawingUpToAC1018IsCompletedWithACodePage) {
  for (const auto& [version, named] :
       {std::pair{"AC1015", true}, std::pair{"AC1018", true}, std::pair{"AC1021", false}}) {
    SCOPED_TRACE(version);
    Database db;
    db.set_header_var("$ACADVER", {Group::text(1, version)});
    complete_drawing(db);
    const HeaderVar* code_page = db.header_var("$DWGCODEPAGE");
    ASSERT_EQ(code_page != nullptr, named);
    if (named) {
      EXPECT_EQ(code_page->groups.at(0).s(), "ANSI_1252");
    }
  }
}

TEST(TextCodec, EncodingIsTheInverseOfDecoding) {
  TextCodec codec;
  ASSERT_TRUE(codec.set_code_page("dos850"));
  std::string text = "Maße: 3,50 m² — ½ ^ \"€\"\n";
  std::string bytes;
  codec.encode(text, bytes);
  std::string back;
  codec.decode(bytes, back, true);
  EXPECT_EQ(back, text);
}

}  // namespace
}  // namespace cad
