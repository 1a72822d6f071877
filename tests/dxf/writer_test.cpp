// Writing: records the host made (without subclass markers, owners or block records) come out
// complete for the version, R12 gets only what R12 knows, erased records stay out. (Saving
// itself: tests/files, tests/app; angles written back as read: tests/dxf/tags_cases.txt.)
#include "cad/dxf/writer.h"

#include <gtest/gtest.h>

#include <numbers>
#include <set>

#include "cad/dxf/complete.h"
#include "cad/dxf/new_drawing.h"
#include "cad/dxf/reader.h"
#include "tests/dxf/dxf_checks.h"
#include "tests/support/case_file.h"

namespace cad {
namespace {

using testing::dxf_groups;
using testing::dxf_lines;

// A record as the host makes it, its groups written "code value; ..." as in a file of UTF-8.
Record make(std::string type, const std::string& groups) {
  Record rec;
  rec.type = std::move(type);
  const std::string data = dxf_groups(groups);
  GroupReader reader(data);
  reader.codec().set_utf8();
  for (Group g; reader.next(g);) rec.groups.push_back(g);
  EXPECT_EQ(reader.error(), "") << groups;
  return rec;
}

// The group codes of a record, or (markers) its subclass markers, separated by blanks.
std::string codes(const Record& rec, bool markers = false) {
  std::string out;
  for (const Group& g : rec.groups)
    if (!markers || g.code == 100)
      out += (out.empty() ? "" : " ") + (markers ? std::string(g.s()) : std::to_string(g.code));
  return out;
}

std::string handle_of(const Database& db, RecordId id) {
  return handle_text(db.record(id).handle());
}

// The drawing as written and read back.
std::unique_ptr<Database> written(const Database& db) {
  ReadResult r = read_dxf(write_dxf(db), "written.dxf");
  EXPECT_TRUE(r.db) << r.error;
  return std::move(r.db);
}

// The R12 drawing of the data folder.
std::unique_ptr<Database> r12_drawing() {
  ReadResult r = read_dxf(testing::data_file("line_r12.dxf"), "r12.dxf");
  EXPECT_TRUE(r.db) << r.error;
  return std::move(r.db);
}

// The texts (group 1) of the DIMENSION entities among ids, by default those of model space.
std::vector<std::string> dimension_texts(const Database& db,
                                         const std::vector<RecordId>* ids = nullptr) {
  std::vector<std::string> out;
  for (RecordId id : ids ? *ids : db.entities())
    if (db.record(id).type == "DIMENSION") out.emplace_back(db.record(id).text(1));
  return out;
}

const Record& same_record(const Database& back, const Database& db, RecordId id) {
  return back.record(back.find_handle(db.record(id).handle()));
}

// The cases of writer_cases.txt.
TEST(HostRecords, EntitiesGetTheirSubclassMarkersAndOwnerWithoutChangingTheDrawing) {
  const std::vector<testing::CaseLine> cases = testing::read_cases("dxf/writer_cases.txt");
  for (const testing::CaseLine& c : cases) {
    SCOPED_TRACE(c.where);
    ASSERT_EQ(c.fields.size(), 4u);
    auto db = new_drawing();
    RecordId id = db->add_entity(make(c.fields[0], c.fields[1]));
    Record before = db->record(id);
    auto back = written(*db);
    EXPECT_EQ(db->record(id), before);
    const Record& rec = same_record(*back, *db, id);
    EXPECT_EQ(codes(rec), c.fields[2]);
    EXPECT_EQ(codes(rec, true), c.fields[3]);
    EXPECT_EQ(rec.text(330), handle_of(*back, back->table_entry("BLOCK_RECORD", "*Model_Space")));
  }
}

TEST(HostRecords, VerticesAndSeqendBelongToTheirPolyline) {
  auto db = new_drawing();
  RecordId pl = db->add_entity(make("POLYLINE", "8 0; 66 1; 70 1; 10 0; 20 0; 30 0"));
  RecordId v = db->add_entity(make("VERTEX", "8 0; 10 1; 20 1; 30 0"));
  RecordId end = db->add_entity(make("SEQEND", "8 0"));
  RecordId after = db->add_entity(make("POINT", "8 0; 10 5; 20 5; 30 0"));
  auto back = written(*db);
  std::string owner = handle_of(*db, pl);
  EXPECT_EQ(same_record(*back, *db, v).text(330), owner);
  EXPECT_EQ(codes(same_record(*back, *db, v), true), "AcDbEntity AcDbVertex AcDb2dVertex");
  EXPECT_EQ(same_record(*back, *db, end).text(330), owner);
  EXPECT_EQ(codes(same_record(*back, *db, pl), true), "AcDbEntity AcDb2dPolyline");
  EXPECT_NE(same_record(*back, *db, after).text(330), owner);
}

TEST(HostRecords, BlocksTheHostMakesGetBlockRecordsAndAreAcceptedByEzdxf) {
  auto db = new_drawing();
  size_t b = db->add_block(make("BLOCK", "8 0; 2 *D1; 70 1; 10 0; 20 0; 30 0; 3 *D1"),
                           make("ENDBLK", "8 0"));
  RecordId inside =
      db->add_block_entity(b, make("LINE", "8 0; 10 0; 20 0; 30 0; 11 1; 21 1; 31 0"));
  db->add_entity(make("INSERT", "8 0; 2 *D1; 10 2; 20 2; 30 0"));
  auto back = written(*db);
  RecordId record = back->table_entry("BLOCK_RECORD", "*D1");
  ASSERT_NE(record, kNoRecord);
  std::string owner = handle_of(*back, record);
  const Block& block = back->blocks()[back->block_index("*D1")];
  EXPECT_EQ(back->record(block.begin).text(330), owner);
  EXPECT_EQ(back->record(block.end).text(330), owner);
  EXPECT_EQ(same_record(*back, *db, inside).text(330), owner);

  EXPECT_TRUE(testing::saved_and_audited(*db, "blocks.dxf"));
}

TEST(HostRecords, TheHandleSeedStaysAboveEveryHandleWritten) {
  auto db = new_drawing();
  for (int k = 0; k < 20; ++k) db->add_entity(make("POINT", "8 0"));
  auto back = written(*db);
  uint64_t seed = parse_handle(back->header_var("$HANDSEED")->groups.at(0).s());
  for (size_t id = 0; id < back->slot_count(); ++id)
    EXPECT_LT(back->record(static_cast<RecordId>(id)).handle(), seed);
}

TEST(Writing, ErasedRecordsAndTheSubEntitiesOfAnErasedPolylineStayOut) {
  auto db = new_drawing();
  RecordId line = db->add_entity(make("LINE", "8 0"));
  RecordId pl = db->add_entity(make("POLYLINE", "8 0; 66 1"));
  db->add_entity(make("VERTEX", "8 0"));
  db->add_entity(make("SEQEND", "8 0"));
  db->add_entity(make("CIRCLE", "8 0; 40 1"));
  db->set_erased(line, true);
  db->set_erased(pl, true);
  auto back = written(*db);
  ASSERT_EQ(back->entities().size(), 1u);
  EXPECT_EQ(back->record(back->entities()[0]).type, "CIRCLE");
}

// Anonymous blocks and chain application names nothing refers to stay out of the file, the
// drawing keeping them; whatever may refer to one keeps it.
TEST(Writing, AnonymousBlocksAndChainApplicationsNothingUsesStayOut) {
  auto db = new_drawing();
  auto block = [&](const std::string& name, int flags) {
    return db->add_block(make("BLOCK", "8 0; 2 " + name + "; 70 " + std::to_string(flags) +
                                           "; 10 0; 20 0; 30 0; 3 " + name),
                         make("ENDBLK", "8 0"));
  };
  auto insert = [](const std::string& name) {
    return make("INSERT", "8 0; 2 " + name + "; 10 0; 20 0; 30 0");
  };
  for (const char* app : {"$1A", "$1B", "$1C", "$1D", "OTHER"})
    db->add_table_entry(db->table_index("APPID"),
                        make("APPID", "2 " + std::string(app) + "; 70 0"));
  const size_t u1 = block("*U1", 1);
  db->add_entity(insert("*U1"));
  const size_t u2 = block("*U2", 1);
  db->set_erased(db->add_entity(insert("*U2")), true);
  block("*U3", 1);
  db->add_block_entity(u1, insert("*U3"));
  db->add_block_entity(u1, make("POINT", "8 0; 1001 $1C"));
  block("*U4", 1);
  db->add_block_entity(u2, insert("*U4"));
  block("*D5", 1);
  db->add_entity(make("DIMENSION", "67 1; 8 0; 2 *D5; 70 32"));
  const size_t frame = block("FRAME", 0);
  block("*U6", 1);
  db->add_block_entity(frame, insert("*U6"));
  block("*U7", 1);
  const RecordId u7 =
      db->add_table_entry(db->table_index("BLOCK_RECORD"), make("BLOCK_RECORD", "2 *U7"));
  db->add_object(make("XRECORD", "340 " + handle_of(*db, u7)));
  block("*U8", 1);
  const RecordId u8_point = db->add_block_entity(db->blocks().size() - 1, make("POINT", ""));
  db->add_entity(make("LINE", "8 0; 1001 $1A; 1005 " + handle_of(*db, u8_point)));
  db->set_erased(db->add_entity(make("LINE", "8 0; 1001 $1D")), true);
  block("*U9", 1);
  const size_t slots = db->slot_count();

  auto back = written(*db);
  EXPECT_EQ(db->slot_count(), slots);
  std::vector<std::string> blocks;
  for (const Block& b : back->blocks()) blocks.emplace_back(back->record(b.begin).text(2));
  EXPECT_EQ(blocks, (std::vector<std::string>{"*Model_Space", "*Paper_Space", "*U1", "*U3", "*D5",
                                              "FRAME", "*U6", "*U7", "*U8"}));
  for (const char* gone : {"*U2", "*U4", "*U9"})
    EXPECT_EQ(back->table_entry("BLOCK_RECORD", gone), kNoRecord) << gone;
  for (const char* kept : {"$1A", "$1C", "ACAD", "OTHER"})
    EXPECT_NE(back->table_entry("APPID", kept), kNoRecord) << kept;
  for (const char* gone : {"$1B", "$1D"})
    EXPECT_EQ(back->table_entry("APPID", gone), kNoRecord) << gone;
}

// The writer completes the entities of model and paper space while writing them instead of in
// the copy it completes: what it writes must be what a completed copy of everything gives.
TEST(Writing, EntitiesCompletedWhileWrittenComeOutAsInACompletedCopy) {
  auto host_made = [](Database& db) {
    db.add_entity(make("LINE", "8 0; 10 0; 20 0; 30 0"));
    db.add_entity(make("CIRCLE", "67 1; 8 0; 40 2"));
    db.add_entity(make("POLYLINE", "8 0; 66 1"));
    db.add_entity(make("VERTEX", "8 0; 10 1; 20 1; 30 0"));
    db.add_entity(make("SEQEND", "8 0"));
    const RecordId insert = db.add_entity(make("INSERT", "8 0; 66 1; 2 *Model_Space"));
    db.add_entity(make("ATTRIB", "8 0; 2 TAG"));
    db.add_entity(make("SEQEND", "8 0"));
    db.set_erased(insert, true);
    db.add_entity(make("LINE", "330 1F; 100 AcDbEntity; 8 0; 100 AcDbLine; 1001 DULK; 1000 x"));
  };
  std::unique_ptr<Database> drawings[] = {new_drawing(), r12_drawing()};
  ASSERT_TRUE(drawings[1]);
  for (std::unique_ptr<Database>& db : drawings) {
    host_made(*db);
    std::unique_ptr<Database> whole = copy_drawing(*db);
    complete_drawing(*whole);
    EXPECT_EQ(write_dxf(*db), write_dxf(*whole)) << drawing_version(*db);
  }
}

// R12 gets only what R12 knows: entities of newer types are written the way R12 writes them, or
// left out with a note; subclass markers, owners and groups later versions added to entities,
// table records and the header stay out. The drawing keeps what it holds.
TEST(Writing, R12WritesNewerEntitiesInItsOwnForms) {
  const std::unique_ptr<Database> r12 = r12_drawing();
  ASSERT_TRUE(r12);
  Database& db = *r12;
  db.add_entity(make(
      "LINE", "330 1F; 100 AcDbEntity; 8 0; 100 AcDbLine; 10 0; 20 0; 30 0; 1001 DULK; 1000 line"));
  // A dimension text with a raised millimetre digit, centred on (10,0).
  db.add_entity(
      make("MTEXT", "8 0; 62 1; 10 10; 20 0; 30 0; 40 1; 71 5; 1 2.38{\\A2\\H0.6x;5}; 7 STANDARD"));
  // Two lines hanging from (0,20), turned a quarter turn.
  db.add_entity(make("MTEXT", "8 0; 10 0; 20 20; 30 0; 40 1; 71 1; 1 A\\PB; 11 0; 21 1; 31 0"));
  db.add_entity(make(
      "LWPOLYLINE",
      "8 0; 90 3; 70 1; 38 2; 10 0; 20 0; 42 0.5; 10 4; 20 0; 10 4; 20 3; 1001 DULK; 1000 kept"));
  db.add_entity(make("SPLINE", "8 0; 70 8"));
  db.add_entity(make("DIMENSION", "8 0; 2 *D1; 70 32; 71 5; 42 2.385; 370 25; 13 0; 23 0; 33 0"));
  db.add_table_entry(db.table_index("LAYER"),
                     make("LAYER", "2 Defpoints; 70 0; 62 7; 6 CONTINUOUS; 290 0; 370 -3"));
  db.set_var("DIMDEC", VarValue::integer(3));
  db.set_var("DIMASZ", VarValue::real(0.2));
  const size_t slots = db.slot_count();

  std::vector<std::string> notes;
  const std::string out = write_dxf(db, &notes);
  EXPECT_EQ(db.slot_count(), slots);
  EXPECT_EQ(notes, std::vector<std::string>{"left out, as R12 has no such entities: 1 SPLINE"});
  for (const char* gone : {"\n100\n", "\n330\n", "CLASSES", "OBJECTS", "BLOCK_RECORD"})
    EXPECT_EQ(out.find(gone), std::string::npos) << gone;
  EXPECT_NE(out.find("$HANDLING\n 70\n1\n"), std::string::npos);
  EXPECT_NE(out.find("1001\nDULK\n1000\nline\n"), std::string::npos);
  ReadResult back = read_dxf(out, "written.dxf");
  ASSERT_TRUE(back.db) << back.error;
  std::vector<const Record*> texts;
  std::vector<std::string> types;
  for (RecordId id : back.db->entities()) {
    const Record& rec = back.db->record(id);
    types.push_back(rec.type);
    if (rec.type == "TEXT") texts.push_back(&rec);
  }
  EXPECT_EQ(types,
            (std::vector<std::string>{"LINE", "LINE", "TEXT", "TEXT", "TEXT", "TEXT", "POLYLINE",
                                      "VERTEX", "VERTEX", "VERTEX", "SEQEND", "DIMENSION"}));
  ASSERT_EQ(texts.size(), 4u);
  // The digits end where the raised digit begins, by the host's estimate of the widths (0.6 of
  // the height a character); the digit's top is the digits' top.
  EXPECT_EQ(texts[0]->text(1), "2.38");
  EXPECT_EQ(texts[0]->integer(72), 2);
  EXPECT_NEAR(texts[0]->point(11).x, 10 - 1.38 + 2.4, 1e-12);
  EXPECT_NEAR(texts[0]->point(11).y, -0.5, 1e-12);
  EXPECT_EQ(texts[0]->integer(62), 1);
  EXPECT_EQ(texts[1]->text(1), "5");
  EXPECT_EQ(texts[1]->integer(72), 0);
  EXPECT_NEAR(texts[1]->real(40), 0.6, 1e-12);
  EXPECT_NEAR(texts[1]->point(10).x, 10 - 1.38 + 2.4, 1e-12);
  EXPECT_NEAR(texts[1]->point(10).y, -0.1, 1e-12);
  // Turned text: its lines run down the X axis.
  EXPECT_EQ(texts[2]->text(1), "A");
  EXPECT_NEAR(texts[2]->real(50), std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(texts[2]->point(10).x, 1, 1e-12);
  EXPECT_EQ(texts[3]->text(1), "B");
  EXPECT_NEAR(texts[3]->point(10).x, 1 + 5.0 / 3.0, 1e-12);

  const Record& polyline = back.db->record(back.db->entities()[6]);
  EXPECT_EQ(polyline.integer(70), 1);
  EXPECT_EQ(polyline.point(10).z, 2);
  EXPECT_EQ(polyline.xdata("DULK").at(0).s(), "kept");
  const Record& first_vertex = back.db->record(back.db->entities()[7]);
  EXPECT_EQ(first_vertex.real(42), 0.5);
  EXPECT_EQ(first_vertex.point(10), (Vec3{0, 0, 2}));
  // Every record has a handle of its own below the seed.
  const uint64_t seed = parse_handle(back.db->header_var("$HANDSEED")->groups.at(0).s());
  std::set<uint64_t> handles;
  for (RecordId id : back.db->entities()) {
    EXPECT_LT(back.db->record(id).handle(), seed);
    EXPECT_TRUE(handles.insert(back.db->record(id).handle()).second);
  }

  const Record& dimension = back.db->record(back.db->entities().back());
  EXPECT_EQ(codes(dimension), "5 8 2 70 13");
  const Record& layer = back.db->record(back.db->table_entry("LAYER", "Defpoints"));
  EXPECT_EQ(codes(layer), "5 2 70 62 6");
  EXPECT_EQ(back.db->header_var("$DIMDEC"), nullptr);
  EXPECT_NE(back.db->header_var("$DIMASZ"), nullptr);

  EXPECT_TRUE(testing::saved_and_audited(db, "r12.dxf"));
}

// R12 has no multiline text: a dimension's own text is written plain, in model space and in
// blocks, as the real host's R12 export writes it; the drawing keeps its codes, which a save in a
// later version writes again.
TEST(Writing, R12WritesDimensionTextsPlainAndTheDrawingKeepsTheirCodes) {
  // The text in the drawing, as the R12 file holds it (in its code page), as the drawing read
  // from that file holds it
  struct Text {
    const char* codes;
    const char* plain;
    const char* read;
  };
  const Text texts[] = {
      // a raised millimetre digit, as the module writes it
      {"2.38{\\A2\\H0.6x;5}", "2.385", "2.385"},
      {"{\\A2\\H0.6x5}", "5", "5"},     // codes without their semicolons
      {"<>{\\H0.5x;m}", "<>m", "<>m"},  // the measurement stays a placeholder
      {"1.05{\\A2\\H0.6x;5}\\PGrund", "1.055 Grund", "1.055 Grund"},  // lines joined by a blank
      // literal braces and a backslash, a single-line code: R12's braces are characters
      {"\\{50%\\} {\\L%%c}12 a\\\\b",
       "{50%} \xd8"
       "12 a\\b",
       "\\{50%\\} \u00d812 a\\\\b"},
      {"<>", "<>", "<>"},  // nothing to convert
      {"%%c12", "%%c12", "%%c12"},
  };
  const std::unique_ptr<Database> drawing = r12_drawing();
  ASSERT_TRUE(drawing);
  Database& db = *drawing;
  const size_t block = db.add_block(make("BLOCK", "8 0; 2 PLAN; 70 0; 10 0; 20 0; 30 0; 3 PLAN"),
                                    make("ENDBLK", "8 0"));
  for (const Text& text : texts) {
    const std::string groups =
        std::string("8 0; 2 *D1; 70 32; 1 ") + text.codes + "; 13 0; 23 0; 33 0";
    db.add_entity(make("DIMENSION", groups + "; 1001 DULK; 1000 kept"));
    db.add_block_entity(block, make("DIMENSION", groups));
  }
  const std::string r12 = write_dxf(db);
  ReadResult back = read_dxf(r12, "written.dxf");
  ASSERT_TRUE(back.db) << back.error;
  const std::string again = write_dxf(*back.db);
  std::vector<std::string> read, codes;
  for (const Text& text : texts) {
    read.emplace_back(text.read);
    codes.emplace_back(text.codes);
    EXPECT_NE(r12.find(std::string("\n  1\n") + text.plain + "\n"), std::string::npos)
        << text.plain;
    EXPECT_NE(again.find(std::string("\n  1\n") + text.plain + "\n"), std::string::npos)
        << "written again: " << text.plain;
  }
  for (RecordId id : back.db->entities())
    if (back.db->record(id).type == "DIMENSION") {
      EXPECT_EQ(back.db->record(id).xdata("DULK").at(0).s(), "kept");
    }
  EXPECT_EQ(dimension_texts(*back.db), read);
  EXPECT_EQ(dimension_texts(*back.db, &back.db->blocks()[back.db->block_index("PLAN")].entities),
            read);
  EXPECT_EQ(dimension_texts(db), codes);
  db.set_header_var("$ACADVER", {Group::text(1, "AC1015")});
  EXPECT_EQ(dimension_texts(*written(db)), codes);
}

TEST(Writing, ADrawingThatNamesNoVersionIsWrittenAsR2013WithTheVersionFirst) {
  Database db;
  db.add_table_entry(db.add_table(make("TABLE", "2 LAYER")), make("LAYER", "2 Wände; 70 0"));
  db.set_var("CLAYER", VarValue::text("Wände"));
  db.add_entity(make("LINE", "8 Wände; 10 0; 20 0; 30 0; 11 1; 21 0; 31 0"));
  std::string out = write_dxf(db);
  EXPECT_EQ(out.rfind(dxf_lines({"  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER", "  1",
                                 "AC1027", "  9", "$CLAYER"}),
                      0),
            0u);
  ReadResult back = read_dxf(out, "new.dxf");
  ASSERT_TRUE(back.db) << back.error;
  EXPECT_EQ(back.db->get_var("CLAYER")->s, "Wände");

  EXPECT_TRUE(testing::saved_and_audited(db, "bare.dxf"));
}

}  // namespace
}  // namespace cad
