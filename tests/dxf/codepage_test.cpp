// Text encodings: the code page of $DWGCODEPAGE up to AC1018 (single- and multi-byte), \U+XXXX
// escapes, UTF-8 from AC1021, in both directions through whole files.
#include "cad/dxf/codepage.h"

#include <gtest/gtest.h>

#include "cad/dxf/complete.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "tests/dxf/dxf_checks.h"
#include "tests/support/case_file.h"

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

// The value line of the TEXT's group 1 in a written file.
std::string written_text(const std::string& file) {
  ReadResult r = read_dxf(file, "text.dxf");
  EXPECT_TRUE(r.db) << r.error;
  std::string out = write_dxf(*r.db);
  size_t at = out.find("\n  1\n", out.find("\nTEXT\n"));
  size_t end = out.find('\n', at + 5);
  return out.substr(at + 5, end - at - 5);
}

// The cases of codepage_cases.txt: each file's bytes, the text read, the bytes written back, the
// note reading gives.
TEST(CodePages, TextsAreReadAndWrittenBackInTheFilesEncoding) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("dxf/codepage_cases.txt");
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_GE(c.fields.size(), 6u);
    const std::string file = text_file(c.fields[1], c.fields[2], c.fields[3]);
    const ReadResult r = read_dxf(file, "text.dxf");
    ASSERT_TRUE(r.db) << r.error;
    EXPECT_EQ(r.db->record(r.db->entities().at(0)).text(1), c.fields[4]);
    if (!c.fields[5].empty()) {
      EXPECT_EQ(written_text(file), c.fields[5]);
    }
    if (c.fields.size() > 6) {
      EXPECT_EQ(r.notes.empty() ? "" : r.notes.front(), c.fields[6]);
    }
  }
}

// Up to AC1018 a file's texts are in its code page, so a drawing completed for saving names one;
// from AC1021 they are UTF-8 and none is added.
TEST(CodePages, ADrawingUpToAC1018IsCompletedWithACodePage) {
  for (const auto& [version, named] :
       {std::pair{"AC1015", "ANSI_1252"}, std::pair{"AC1018", "ANSI_1252"},
        std::pair{"AC1021", "(none)"}}) {
    SCOPED_TRACE(version);
    Database db;
    db.set_header_var("$ACADVER", {Group::text(1, version)});
    complete_drawing(db);
    const HeaderVar* code_page = db.header_var("$DWGCODEPAGE");
    EXPECT_EQ(code_page ? code_page->groups.at(0).s() : "(none)", named);
  }
}

// A single-byte and a multibyte code page; dos932 writes U+2014 as the bytes it reads as U+2015,
// so the em dash takes an escape there (found by fuzz_dxf_reader).
TEST(TextCodec, EncodingIsTheInverseOfDecoding) {
  for (const char* page : {"dos850", "dos932"}) {
    TextCodec codec;
    ASSERT_TRUE(codec.set_code_page(page));
    std::string text = "Maße: 3,50 m² — ½ ^ \"€\" 寸法\n";
    std::string bytes;
    codec.encode(text, bytes);
    std::string back;
    codec.decode(bytes, back, true);
    EXPECT_EQ(back, text) << page;
  }
}

}  // namespace
}  // namespace cad
