// Faults fuzz_dxf_reader found in reading and writing DXF, one test each (or for faults of one
// kind, a row of a table each), named after the fault; the inputs it found are in data/.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "cad/dxf/compare.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"

namespace cad {
namespace {

std::string data_file(const std::string& name) {
  return DULK_SOURCE_DIR "/tests/fuzz_regressions/data/" + name;
}

// Writes a drawing read and reads that back; the records must be the same and a second writing
// the same bytes. Gives what the first reading gave.
ReadResult expect_round_trip(ReadResult first, const std::string& what) {
  EXPECT_TRUE(first.db) << what << ": " << first.error;
  if (!first.db) return first;
  const std::string once = write_dxf(*first.db);
  ReadResult second = read_dxf(once, "written");
  EXPECT_TRUE(second.db) << what << ": " << second.error;
  if (!second.db) return first;
  EXPECT_EQ(diff_records(*first.db, *second.db), "") << what;
  EXPECT_TRUE(write_dxf(*second.db) == once) << what << ": written again, other bytes";
  return first;
}

ReadResult expect_round_trip(const std::string& text, const std::string& what) {
  return expect_round_trip(read_dxf(text, what), what);
}

// The first file written of the drawing text holds leaves name out, and reading that file and
// writing it again gives the same bytes.
void expect_left_out_at_once(const std::string& text, const std::string& name) {
  ReadResult first = read_dxf(text, name);
  ASSERT_TRUE(first.db) << first.error;
  const std::string once = write_dxf(*first.db);
  EXPECT_EQ(once.find(name), std::string::npos);
  ReadResult second = read_dxf(once, "written");
  ASSERT_TRUE(second.db) << second.error;
  EXPECT_TRUE(write_dxf(*second.db) == once) << name << ": written again, other bytes";
}

std::string header(const std::string& vars) {
  return "0\nSECTION\n2\nHEADER\n" + vars + "0\nENDSEC\n";
}

std::string section(const std::string& name, const std::string& groups = "") {
  return "0\nSECTION\n2\n" + name + "\n" + groups + "0\nENDSEC\n";
}

std::string version(const std::string& acadver) {
  return header("9\n$ACADVER\n1\n" + acadver + "\n");
}

std::string_view acadver(const Database& db) { return db.header_var("$ACADVER")->groups.at(0).s(); }

// Handle and binary groups were written with control characters in caret form but read back
// without decoding them: 340 "2\x01A" came back as "2^AA". And the writer left carets of those
// groups as they were, so "^A" written from a drawing came back as a control character.
TEST(DxfReaderRegression, ControlCharactersAndCaretsInHandleAndBinaryGroupsReadBackAsTheyWere) {
  ReadResult first = expect_round_trip(
      read_dxf_file(data_file("control_character_in_handle_reference.dxf")), "control character");
  ASSERT_TRUE(first.db);
  EXPECT_EQ(first.db->record(first.db->entities().at(0)).text(340),
            "2\x01"
            "A");
  first.db->add_entity(
      Record{"LINE",
             {Group::text(8, "0"), Group::text(340, "^A^"), Group::text(310, "0^\x1F"),
              Group::text(1001, "ACAD"), Group::text(1005, "A^B")}});
  const std::string written = write_dxf(*first.db);
  ReadResult second = read_dxf(written, "written");
  ASSERT_TRUE(second.db) << second.error;
  const Record& line = second.db->record(second.db->entities().back());
  EXPECT_EQ(line.text(340), "^A^");
  EXPECT_EQ(line.text(310), "0^\x1F");
  EXPECT_EQ(line.text(1005), "A^B");
  EXPECT_EQ(write_dxf(*second.db), written);
}

// A drawing without a version was read as R12, whose form has no CLASSES or OBJECTS sections, so
// its CLASS records were kept when read and lost when saved. Holding them, it is read as R2000;
// with a version it names, or with neither section (Reading.AFileOfEntitiesAloneIsAnR12Drawing),
// it stays as it was.
TEST(DxfReaderRegression, ClassesOfADrawingWithoutAVersionSurviveSaving) {
  ReadResult first = read_dxf_file(data_file("classes_without_a_version.dxf"));
  ASSERT_TRUE(first.db) << first.error;
  EXPECT_EQ(acadver(*first.db), "AC1015");
  EXPECT_NE(std::find(first.notes.begin(), first.notes.end(),
                      "no $ACADVER, but CLASSES or OBJECTS: read as AC1015 (R2000)"),
            first.notes.end());
  ASSERT_EQ(first.db->classes().size(), 1u);
  expect_round_trip(std::move(first), "classes without a version");

  const std::string entities = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n0\nENDSEC\n0\nEOF\n";
  const std::string objects = "0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n0\nENDSEC\n0\nEOF\n";
  EXPECT_EQ(acadver(*read_dxf(version("NONE") + entities, "garbage").db), "NONE");
  const ReadResult named = expect_round_trip(version("NONE") + objects, "garbage with objects");
  ASSERT_TRUE(named.db);
  EXPECT_EQ(acadver(*named.db), "AC1015");

  // A version that is no text is written as R2013, which has CLASSES and OBJECTS: it stays.
  const ReadResult odd =
      expect_round_trip(header("9\n$ACADVER\n68\n19785\n") + objects, "version as a number");
  ASSERT_TRUE(odd.db);
  EXPECT_EQ(odd.db->header_var("$ACADVER")->groups.at(0).i(), 19785);

  // A drawing that says it is R12 stays R12: what R12 cannot hold is left out when it is read,
  // and said so, rather than dropped unseen when it is saved. Nor has R12 a BLOCK_RECORD table (a
  // drawing without a version, found by fuzz_dxf_reader).
  const std::string records =
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nBLOCK_RECORD\n0\nBLOCK_RECORD\n5\n20\n2\n*D1\n"
      "0\nENDTAB\n0\nENDSEC\n";
  const ReadResult old = expect_round_trip(version("AC1009") + objects, "r12 with objects");
  ASSERT_TRUE(old.db);
  EXPECT_EQ(acadver(*old.db), "AC1009");
  const ReadResult blocks = expect_round_trip(records + entities, "r12 with block records");
  for (const auto& [read, note] :
       {std::pair{&old,
                  "1 CLASSES, OBJECTS and BLOCK_RECORD records left out (R12 has no place "
                  "for them)"},
        std::pair{&blocks, "2 CLASSES, OBJECTS and BLOCK_RECORD records left out"}}) {
    ASSERT_FALSE(read->notes.empty()) << note;
    EXPECT_NE(read->notes.back().find(note), std::string::npos) << read->notes.back();
  }
}

// Drawings that read back other than they were read; each reads back as it was read and holds
// what its file says.
TEST(DxfReaderRegression, DrawingsReadBackAsTheyWereRead) {
  const std::string text = section("ENTITIES", "0\nTEXT\n8\n0\n1\n\xC8\n");
  const auto first_text = [](const Database& db) { return db.record(db.entities().at(0)).text(1); };
  struct Case {
    const char* what;
    std::string file;
    std::function<void(const Database&)> check;
  };
  const Case cases[] = {
      // Text read as UTF-8 kept a byte of no valid sequence as it was, and a code page written
      // later took it for the character of its number: a drawing whose $ACADVER said AC1021
      // first and AC1009 last (the last is kept) gave "\xCB" when read and "\xC3\x8B" when read
      // back. (Valid sequences and sequences cut short: tests/dxf/codepage_cases.txt.)
      {"version given twice",
       header("9\n$ACADVER\n1\nAC1021\n9\n$X\xCB\n1\nA\xCB\n9\n$ACADVER\n1\nAC1009\n") + "0\nEOF\n",
       [](const Database& db) {
         ASSERT_TRUE(db.header_var("$X\u00CB"));
         EXPECT_EQ(db.header_var("$X\u00CB")->groups.at(0).s(), "A\u00CB");
       }},
      // The reader chose the code page before the writer's rules did: a version given as no text
      // was read in ANSI_1252 and written as R2013, in UTF-8; and a section before the header was
      // written in the header's code page but read back before that code page was named. Blanks
      // around a version do not make it another.
      {"version as a number", header("9\n$ACADVER\n70\n1\n") + text,
       [&](const Database& db) { EXPECT_EQ(first_text(db), "\u00C8"); }},
      {"text before the header",
       section("FIRST", "1\n\xE9\n") +
           header("9\n$ACADVER\n1\nAC1009\n9\n$DWGCODEPAGE\n3\ndos850\n") + text,
       [&](const Database& db) {
         EXPECT_EQ(db.raw_sections().at(0).groups.at(0).s(), "\u00E9");
         EXPECT_EQ(first_text(db), "\u255A");
       }},
      {"version with blanks", version(" AC1021 ") + text,
       [&](const Database& db) {
         EXPECT_EQ(first_text(db), "\u00C8");
         EXPECT_FALSE(r12_form(drawing_version(db)));
       }},
      // Completing a drawing puts its sections in the order of its version, a section of no known
      // name after the one it followed; the sections themselves stayed in the order they were
      // read, and read back in another.
      {"unknown sections",
       section("ENTITIES") + section("AFTER_ENTITIES", "1\nB\n") + section("TABLES") +
           section("AFTER_TABLES", "1\nA\n"),
       [](const Database& db) {
         ASSERT_EQ(db.raw_sections().size(), 2u);
         EXPECT_EQ(db.raw_sections()[0].name, "AFTER_TABLES");
         EXPECT_EQ(db.raw_sections()[1].name, "AFTER_ENTITIES");
       }},
      // A linetype the drawing lacks was taken out of the entity, so the coordinate it stood
      // between came together with the point before it, and the point read back with three
      // coordinates.
      {"missing linetype",
       version("AC1018") +
           section("ENTITIES",
                   "0\nLINE\n5\nB4F\n100\nAcDbEntity\n8\n0\n100\nAcDbLine\n10\n1\n20\n2\n30\n0\n"
                   "11\n12.5\n21\n1.25\n6\nGONE\n31\n0.0\n"),
       [](const Database& db) { EXPECT_EQ(db.record(db.find_handle("B4F")).text(6), "ByLayer"); }},
      // A VERTEX without subclass markers whose x stood alone before a linetype and then its y
      // and z: given its markers, the linetype went to AcDbEntity and left the x beside the y and
      // z, which the file written read back as one point.
      {"lone x",
       version("AC1032") +
           section("ENTITIES",
                   "0\nPOLYLINE\n8\n0\n66\n1\n10\n0\n20\n0\n30\n0\n0\nVERTEX\n8\n0\n10\n-12.5\n"
                   "6\nByLayer\n20\n-2.25\n30\n3.5\n0\nSEQEND\n8\n0\n"),
       [](const Database& db) {
         const Record& vertex = db.record(db.entities().at(1));
         ASSERT_EQ(vertex.type, "VERTEX");
         EXPECT_EQ(vertex.point(10), (Vec3{-12.5, -2.25, 3.5}));
       }},
      // A "102 {" group that is never closed took every later group into the application group,
      // so the owner was never found and each save added two more 330 groups. One that the first
      // groups open and a "102 }" in the extended data closes: finding the owner, it was taken to
      // end there, past the owner that completion had put before the extended data, so every save
      // added another.
      {"closed in extended data",
       version("AC1015") +
           section("ENTITIES",
                   "0\nLINE\n5\n2A\n102\n{APP\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n1\n31\n0\n"
                   "1001\nACAD\n1000\nx\n102\n}\n"),
       [](const Database&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadResult r = expect_round_trip(c.file, c.what);
    if (r.db) c.check(*r.db);
  }
  expect_round_trip(read_dxf_file(data_file("unclosed_application_group.dxf")), "unclosed");
}

// An owner group that named none was taken for no owner but kept as it was, so every reading
// said it had given the record an owner.
TEST(DxfReaderRegression, EmptyOwnerIsGivenTheOwner) {
  const std::string text =
      version("AC1015") + section("TABLES",
                                  "0\nTABLE\n2\nLTYPE\n5\n5\n330\n0\n100\nAcDbSymbolTable\n70\n1\n"
                                  "0\nLTYPE\n5\n14\n330\n\n100\nAcDbSymbolTableRecord\n"
                                  "100\nAcDbLinetypeTableRecord\n2\nDASHED\n70\n0\n0\nENDTAB\n");
  ReadResult first = read_dxf(text, "empty owner");
  ASSERT_TRUE(first.db) << first.error;
  EXPECT_EQ(first.db->record(first.db->find_handle("14")).text(330), "5");
  ReadResult second = read_dxf(write_dxf(*first.db), "written");
  ASSERT_TRUE(second.db) << second.error;
  EXPECT_EQ(diff_records(*first.db, *second.db), "");
  for (const std::string& note : second.notes)
    EXPECT_EQ(note.find("given owners"), std::string::npos) << note;
}

// Written for R12, an MTEXT took the text style of a 7 group in its extended data; the extended
// data stays with the first TEXT. An ELLIPSE too large for numbers became a POLYLINE of vertices
// at -nan, which no reader takes; it is left out as R12's forms leave out what they cannot hold.
TEST(DxfReaderRegression, ExtendedDataIsNoPartOfTheTextAndAnEllipseTooLargeIsLeftOutForR12) {
  const std::string text = section(
      "ENTITIES",
      "0\nMTEXT\n5\nAFE\n8\n0\n10\n0\n20\n0\n30\n0\n40\n0.1\n1\nPLAN\n1001\nACAD\n1000\nnote\n"
      "7\nNPT\n0\nELLIPSE\n8\n0\n10\n1e308\n20\n50\n30\n0\n11\n-50\n21\n0\n31\n0\n40\n1e308\n");
  ReadResult first = read_dxf(text, "xdata");
  ASSERT_TRUE(first.db) << first.error;
  std::vector<std::string> notes;
  ReadResult back = read_dxf(write_dxf(*first.db, &notes), "written");
  ASSERT_TRUE(back.db) << back.error;
  EXPECT_EQ(notes, std::vector<std::string>{"left out, as R12 has no such entities: 1 ELLIPSE"});
  EXPECT_EQ(back.notes, std::vector<std::string>{});
  ASSERT_EQ(back.db->entities().size(), 1u);
  const Record& written = back.db->record(back.db->entities()[0]);
  EXPECT_EQ(written.type, "TEXT");
  EXPECT_GT(written.index_of(7), written.xdata_begin());
  EXPECT_EQ(written.xdata("ACAD").size(), 2u);
}

// Files written for R12 and later read back without a note. A table named in another case
// ("BLOCK_RECord") was looked up as the table it names but written as spelt, so R12 kept the
// block records it has no place for and read them as a new note. A group of an extended-data
// code before the record's extended data (1005 with no 1001 before it) ended the groups searched
// for a layer, so the layer after it was not made when read and was missing when the file written
// for R12, without that group, was read back.
TEST(DxfReaderRegression, TableNamedInAnotherCaseAndLayerAfterAStrayExtendedDataGroupReadBack) {
  const std::string table =
      section("TABLES", "0\nTABLE\n2\nblock_RECord\n70\n1\n0\nBLOCK_RECORD\n2\n*D0\n0\nENDTAB\n");
  const std::string line =
      section("ENTITIES", "0\nLINE\n5\nAB\n1005\nACD37\n8\nWALLS\n10\n1\n20\n2\n11\n3\n21\n4\n");
  for (const std::string& text : {table, line}) {
    for (const char* v : {"AC1009", "AC1015", "AC1018"}) {
      SCOPED_TRACE(v);
      ReadResult first = read_dxf(version(v) + text, v);
      ASSERT_TRUE(first.db) << first.error;
      EXPECT_TRUE(text == table || first.db->table_entry("LAYER", "WALLS") != kNoRecord);
      const std::string written = write_dxf(*first.db);
      EXPECT_EQ(written.find("RECord"), std::string::npos);
      ReadResult back = read_dxf(written, "written");
      ASSERT_TRUE(back.db) << back.error;
      EXPECT_EQ(back.notes, std::vector<std::string>{});
    }
  }
}

// An R12 file's dimension text is plain, its braces and backslashes characters; read as multiline
// text, "{50%}" was a group, which the next save for R12 wrote as "50%", and a stacked code that
// never ends came out of each save shorter.
TEST(DxfReaderRegression, BracesOfAnR12DimensionTextAreCharacters) {
  for (const std::string plain : {"{50%} a\\b", "20A{CAD{\\SNSI{\\A2\\H0.6x5}RT"}) {
    const ReadResult r = expect_round_trip(
        section("ENTITIES", "0\nDIMENSION\n8\n0\n2\n*D1\n70\n0\n1\n" + plain + "\n"), plain);
    ASSERT_TRUE(r.db);
    EXPECT_NE(write_dxf(*r.db).find("\n  1\n" + plain + "\n"), std::string::npos) << plain;
  }
}

// An application name used only by an entity R12 has no form for (a HATCH) counted as used, so
// the R12 file kept its APPID entry, which the next save left out as unused. Likewise an
// anonymous block that only an ELLIPSE's group 2 named (written for R12, an ELLIPSE becomes a
// POLYLINE, which names no block): the first save kept it and the next left it out. What R12
// writes in an entity's place is what uses applications and blocks.
TEST(DxfReaderRegression, WhatOnlyWhatR12WritesInOtherFormsUsesIsLeftOutAtOnce) {
  expect_left_out_at_once(
      section("TABLES", "0\nTABLE\n2\nAPPID\n0\nAPPID\n2\n$2F\n70\n0\n0\nENDTAB\n") +
          section("ENTITIES", "0\nHATCH\n8\n0\n1001\n$2F\n1000\nQRM\n"),
      "$2F");
  expect_left_out_at_once(
      section("BLOCKS",
              "0\nBLOCK\n8\n0\n2\n*U7\n70\n1\n10\n0\n20\n0\n30\n0\n3\n*U7\n"
              "0\nENDBLK\n8\n0\n") +
          section("ENTITIES",
                  "0\nELLIPSE\n8\n0\n2\n*U7\n10\n0\n20\n0\n30\n0\n11\n2\n21\n0\n31\n0\n40\n0.5\n"),
      "*U7");
}

}  // namespace
}  // namespace cad
