// Reading files into a drawing: where records go, handles (missing, duplicate), files that lack
// parts, and malformed files, each ending in one message that names where it went wrong.
#include "cad/dxf/reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <random>

#include "cad/dxf/complete.h"
#include "tests/dxf/dxf_checks.h"
#include "tests/support/case_file.h"

namespace cad {
namespace {

using testing::dxf_groups;
using testing::dxf_lines;

// A drawing written by hand: a TABLE without ENDTAB before it, a polyline, a thumbnail.
std::string r2000_file() { return testing::data_file("plan_r2000.dxf"); }

TEST(Reading, RecordsGoWhereTheFilePutsThem) {
  ReadResult r = read_dxf(r2000_file(), "plan.dxf");
  ASSERT_TRUE(r.db) << r.error;
  const Database& db = *r.db;
  EXPECT_EQ(std::string(db.header_var("$ACADVER")->groups[0].s()), "AC1015");
  EXPECT_EQ(db.header_var("$EXTMIN")->groups[0].dims, 3);
  // A TABLE without ENDTAB before it ends the table before.
  ASSERT_NE(db.table_index("LTYPE"), Database::npos);
  const Table& ltype = db.tables()[db.table_index("LTYPE")];
  EXPECT_EQ(db.record(ltype.entries.front()).handle(), 0x14u);
  const Table& layer = db.tables()[db.table_index("LAYER")];
  ASSERT_EQ(layer.entries.size(), 1u);
  EXPECT_EQ(db.record(layer.entries.front()).handle(), 0x10u);
  std::vector<std::string> types;
  for (RecordId id : db.entities()) types.push_back(db.record(id).type);
  EXPECT_EQ(types, (std::vector<std::string>{"POLYLINE", "VERTEX", "VERTEX", "SEQEND", "LINE"}));
  EXPECT_DOUBLE_EQ(db.record(db.entities()[2]).real(42), 0.5);
  ASSERT_EQ(db.raw_sections().size(), 1u);
  EXPECT_EQ(db.raw_sections()[0].name, "THUMBNAILIMAGE");
  EXPECT_EQ(db.raw_sections()[0].groups.size(), 2u);
  EXPECT_EQ(db.section_order().back(), "THUMBNAILIMAGE");
  EXPECT_EQ(db.journal_size(), 0u);
  // Handles of the file are kept and the seed stays above them.
  EXPECT_EQ(db.record(db.find_handle(0x34)).type, "LINE");
  EXPECT_GE(db.handseed(), 0x100u);
}

// Entities that lack an owner are given one whether the entities around them had theirs or not:
// vertices the POLYLINE before them, up to its SEQEND; the others model space.
TEST(Reading, OwnersFollowPolylinesThatHadTheirOwn) {
  ReadResult r = read_dxf(
      dxf_groups("0 SECTION; 2 HEADER; 9 $ACADVER; 1 AC1015; 0 ENDSEC; 0 SECTION; 2 ENTITIES; "
                 "0 POLYLINE; 5 A0; 330 1F; 100 AcDbEntity; 8 0; 100 AcDb2dPolyline; 66 1; "
                 "0 VERTEX; 5 A1; 100 AcDbEntity; 8 0; 100 AcDbVertex; 100 AcDb2dVertex; 10 1; "
                 "0 SEQEND; 5 A2; 330 A0; 100 AcDbEntity; 8 0; "
                 "0 LINE; 5 A3; 100 AcDbEntity; 8 0; 100 AcDbLine; 10 0; 11 1; 0 ENDSEC; 0 EOF"),
      "owners.dxf");
  ASSERT_TRUE(r.db) << r.error;
  const Database& db = *r.db;
  ASSERT_EQ(db.entities().size(), 4u);
  EXPECT_EQ(db.record(db.entities()[1]).text(330), "A0");
  const std::string_view model = db.record(db.entities()[3]).text(330);
  EXPECT_FALSE(model.empty());
  EXPECT_NE(model, "A0");
}

TEST(Reading, R12RecordsWithoutHandlesGetHandlesAboveThoseOfTheFile) {
  ReadResult r = read_dxf(testing::data_file("walls_r12.dxf"), "r12.dxf");
  ASSERT_TRUE(r.db) << r.error;
  const Database& db = *r.db;
  RecordId walls = db.table_entry("LAYER", "WALLS");
  ASSERT_NE(walls, kNoRecord);
  EXPECT_GT(db.record(walls).handle(), 1u);
  EXPECT_GT(db.record(db.entities()[0]).handle(), 1u);
  EXPECT_EQ(db.record(db.entities()[1]).handle(), 1u);
  for (const std::string& note : r.notes) EXPECT_EQ(note.find("duplicate"), std::string::npos);
}

TEST(Reading, ReadDrawingsAreFoundByBlockNameNumberAndApplication) {
  ReadResult r = read_dxf(testing::data_file("chains_r2000.dxf"), "chains.dxf");
  ASSERT_TRUE(r.db) << r.error;
  const Database& db = *r.db;
  // A dimension drawn next takes "*D13", past both the block and the block record.
  EXPECT_EQ(db.highest_numbered_block("*D"), 12);
  EXPECT_EQ(db.block_index("*d3"), 0u);
  EXPECT_EQ(db.table_entry("APPID", "$2f"), db.find_handle(0x21));
  const auto tagged = db.xdata_apps().find("$2F");
  EXPECT_EQ(std::vector<RecordId>(tagged.begin(), tagged.end()),
            std::vector<RecordId>{db.find_handle(0x2F)});
}

TEST(Reading, AFileOfEntitiesAloneIsAnR12Drawing) {
  std::string file = dxf_lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "CIRCLE", "  8", "0",
                                " 10", "1 ", " 20", "2 ", " 40", "1.5", "  0", "ENDSEC"});
  ReadResult r = read_dxf(file, "circle.dxf");
  ASSERT_TRUE(r.db) << r.error;
  EXPECT_EQ(drawing_version(*r.db), "AC1009");
  ASSERT_EQ(r.db->entities().size(), 1u);
  EXPECT_NE(r.db->record(r.db->entities()[0]).handle(), 0u);
  EXPECT_NE(r.db->table_entry("LAYER", "0"), kNoRecord);
  ASSERT_FALSE(r.notes.empty());
  EXPECT_EQ(r.notes.front(), "no $ACADVER: read as AC1009 (R12)");
}

TEST(Reading, HeaderVariablesOutsideASectionAreTheHeader) {
  std::string file = dxf_groups("0 SECTION; 2 ENTITIES; 0 ENDSEC; 9 $EXTMAX; 10 5; 20 6; 0 ENDSEC");
  ReadResult r = read_dxf(file, "stray.dxf");
  ASSERT_TRUE(r.db) << r.error;
  ASSERT_NE(r.db->header_var("$EXTMAX"), nullptr);
  EXPECT_EQ(r.db->header_var("$EXTMAX")->groups[0].pt(), (Vec3{5, 6, 0}));
  EXPECT_EQ(r.db->section_order().front(), "HEADER");
  EXPECT_EQ(r.notes.front(), "line 7: header variables outside a section read as HEADER");
}

// The cases of reader_cases.txt: malformed files, handles, the current entries a header names.
TEST(Reading, MalformedFilesHandlesAndCurrentEntriesOfTheTable) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("dxf/reader_cases.txt");
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    if (c.fields[0] == "malformed") {
      ASSERT_EQ(c.fields.size(), 3u);
      ReadResult r = read_dxf(dxf_groups(c.fields[1]), "empty.dxf");
      EXPECT_EQ(r.error, c.fields[2]);
      EXPECT_FALSE(r.db);
      continue;
    }
    if (c.fields[0] == "handles") {
      ASSERT_EQ(c.fields.size(), 4u);
      ReadResult r = read_dxf(dxf_groups(c.fields[1]), "handles.dxf");
      ASSERT_TRUE(r.db) << r.error;
      std::string handles;
      for (RecordId id : r.db->entities())
        handles += (handles.empty() ? "" : " ") + handle_text(r.db->record(id).handle());
      EXPECT_EQ(handles, c.fields[2]);
      EXPECT_EQ(r.notes.empty() ? "" : r.notes.front(), c.fields[3]);
      continue;
    }
    ASSERT_EQ(c.fields[0], "current");
    ASSERT_EQ(c.fields.size(), 7u);
    const std::string& var = c.fields[2];
    ReadResult r =
        read_dxf(dxf_lines({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", c.fields[1], "9",
                            var, c.fields[3], c.fields[4], "0", "ENDSEC", "0", "EOF"}),
                 "current.dxf");
    ASSERT_TRUE(r.db) << r.error;
    EXPECT_EQ(r.db->header_var(var)->groups.at(0).s(), c.fields[5]);
    if (c.fields[6] != "none") {
      EXPECT_NE(std::find(r.notes.begin(), r.notes.end(), c.fields[6]), r.notes.end());
    } else {
      for (const std::string& note : r.notes)
        EXPECT_EQ(note.find("made current"), std::string::npos) << note;
    }
  }
  // A binary file names the byte.
  ReadResult binary = read_dxf(testing::BinaryFile(false)
                                   .text(0, "SECTION")
                                   .text(2, "ENTITIES")
                                   .text(0, "CIRCLE")
                                   .real(40, std::numeric_limits<double>::quiet_NaN())
                                   .bytes(),
                               "binary.dxf");
  EXPECT_EQ(binary.error, "byte 49: group code 40 expects a finite number, got 'nan'");
  EXPECT_FALSE(binary.db);
}

TEST(Reading, FilesThatCannotBeReadAreNamedAndAFileIsReadWhole) {
  ReadResult r = read_dxf_file("/nonexistent-folder/plan.dxf");
  EXPECT_FALSE(r.db);
  EXPECT_EQ(r.error, "cannot open /nonexistent-folder/plan.dxf: no such file or directory");
  const std::string folder = ::testing::TempDir();
  EXPECT_EQ(read_dxf_file(folder).error, "cannot read " + folder + ": not a regular file");
  const std::string path = folder + "/dulk_reader_test.dxf";
  std::ofstream(path, std::ios::binary).flush();
  EXPECT_EQ(read_dxf_file(path).error, path + " is empty: no DXF data");
  // The last line of a file without its line end still counts.
  std::ofstream(path, std::ios::binary) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1.5";
  ReadResult whole = read_dxf_file(path);
  EXPECT_EQ(whole.error, "line 8: section ENTITIES is not closed by 0 ENDSEC (the file ends)");
  std::remove(path.c_str());
}

// Damaged copies of good files (ASCII and binary): every one is either read or refused with a
// message, never a crash or a half-read drawing.
void expect_total_on_damage(const std::string& good, unsigned seed) {
  std::mt19937 random(seed);
  for (int round = 0; round < 2000; ++round) {
    std::string bad = good;
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !bad.empty(); ++e) {
      size_t at = random() % bad.size();
      // A byte changed, up to eight bytes taken out, or the rest cut off.
      const unsigned kind = random() % 3;
      if (kind == 0) bad[at] = static_cast<char>(random() % 256);
      if (kind == 1) bad.erase(at, 1 + random() % 8);
      if (kind == 2) bad.resize(at);
    }
    ReadResult r = read_dxf(bad, "bad.dxf");
    ASSERT_NE(r.db == nullptr, r.error.empty()) << "round " << round;
  }
}

TEST(Reading, AnyBytesGiveADrawingOrAMessage) {
  expect_total_on_damage(r2000_file(), 12345);
  testing::BinaryFile binary(true);
  binary.text(0, "SECTION").text(2, "HEADER").text(9, "$ACADVER").text(1, "AC1015");
  binary.text(0, "ENDSEC").text(0, "SECTION").text(2, "ENTITIES").text(0, "LINE");
  binary.text(5, "2A").text(8, "0").real(10, 1).real(20, 2).real(30, 0).real(50, 30);
  binary.int16(62, 1).chunk(310, "\x01\x02").text(0, "ENDSEC").text(0, "EOF");
  ASSERT_TRUE(read_dxf(binary.bytes(), "good.dxf").db);
  expect_total_on_damage(binary.bytes(), 54321);
}

}  // namespace
}  // namespace cad
