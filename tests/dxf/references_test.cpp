// What the entities of a drawing read name: layers, linetypes, text styles, dimension styles and
// blocks the drawing lacks are settled as it is read, with a note each, in every version, so that
// everything the host writes names an entry the file holds.
#include "cad/dxf/references.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/dxf/compare.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "tests/dxf/dxf_checks.h"

namespace cad {
namespace {

using testing::dxf_groups;

// Entities of model space and of a block, naming what the drawing has and what it lacks; the
// drawing's tables hold the layer WALLS, the text style Notes and the dimension style Plan.
std::string drawing(const std::string& version) {
  return dxf_groups(
      "0 SECTION; 2 HEADER; 9 $ACADVER; 1 " + version +
      "; 0 ENDSEC; "
      "0 SECTION; 2 TABLES; "
      "0 TABLE; 2 LAYER; 0 LAYER; 2 WALLS; 70 0; 62 1; 6 CONTINUOUS; 0 ENDTAB; "
      "0 TABLE; 2 STYLE; 0 STYLE; 2 Notes; 70 0; 40 0; 41 1; 3 txt; 0 ENDTAB; "
      "0 TABLE; 2 DIMSTYLE; 0 DIMSTYLE; 2 Plan; 70 0; 0 ENDTAB; 0 ENDSEC; "
      "0 SECTION; 2 BLOCKS; 0 BLOCK; 8 0; 2 SIGN; 70 0; 10 0; 20 0; 30 0; 3 SIGN; "
      "0 TEXT; 8 WALLS; 10 0; 20 0; 30 0; 40 1; 1 A; 7 ROMANS; 0 ENDBLK; 8 0; 0 ENDSEC; "
      "0 SECTION; 2 ENTITIES; "
      "0 LINE; 8 WALLS; 6 DASHED; 10 0; 20 0; 30 0; 11 1; 21 0; 31 0; "
      "0 LINE; 8 PIPES; 6 ByBlock; 10 0; 20 0; 30 0; 11 1; 21 0; 31 0; "
      "0 LINE; 8 ; 10 0; 20 0; 30 0; 11 1; 21 0; 31 0; "
      "0 TEXT; 8 WALLS; 10 0; 20 0; 30 0; 40 1; 1 B; 7 Notes; "
      "0 TEXT; 8 WALLS; 10 0; 20 0; 30 0; 40 1; 1 C; 7 ROMANS; "
      "0 TEXT; 8 WALLS; 10 0; 20 0; 30 0; 40 1; 1 D; 7 ; "
      "0 DIMENSION; 8 WALLS; 2 *D1; 10 0; 20 0; 30 0; 70 32; 3 Plan; 13 0; 23 0; 33 0; "
      "0 DIMENSION; 8 WALLS; 2 *D4; 10 0; 20 0; 30 0; 70 32; 3 DIMSTYLE1; 13 0; 23 0; 33 0; "
      "0 INSERT; 8 WALLS; 2 SIGN; 10 0; 20 0; 30 0; "
      "0 INSERT; 8 WALLS; 2 DOOR; 10 0; 20 0; 30 0; 0 ENDSEC; 0 EOF");
}

std::vector<std::string> texts(const Database& db, const std::vector<RecordId>& ids, int code) {
  std::vector<std::string> out;
  for (RecordId id : ids) out.emplace_back(db.record(id).text(code, "(none)"));
  return out;
}

TEST(ReadingReferences, WhatTheEntitiesNameAndTheDrawingLacksIsSettledWithANote) {
  for (const std::string version : {"AC1009", "AC1015", "AC1027"}) {
    SCOPED_TRACE(version);
    const bool r12 = version == "AC1009";
    ReadResult r = read_dxf(drawing(version), "refs.dxf");
    ASSERT_TRUE(r.db) << r.error;
    const Database& db = *r.db;
    const std::string standard = r12 ? "STANDARD" : "Standard";
    std::vector<std::string> notes(r.notes.begin() + 1, r.notes.end());  // after completing
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "entities name 1 layer the LAYER table lacks: made (PIPES)",
                         "entities name 3 blocks the drawing lacks: made empty (*D1, *D4, DOOR)",
                         "1 entity has an empty layer name: \"0\" instead",
                         "1 entity names 1 linetype the drawing lacks (DASHED): by layer instead",
                         "3 entities name 2 text styles the drawing lacks (\"\", ROMANS): \"" +
                             standard + "\" instead",
                         "1 entity names 1 dimension style the drawing lacks (DIMSTYLE1): \"" +
                             standard + "\" instead"}));
    const std::vector<RecordId>& entities = db.entities();
    EXPECT_EQ(texts(db, entities, 8),
              (std::vector<std::string>{"WALLS", "PIPES", "0", "WALLS", "WALLS", "WALLS", "WALLS",
                                        "WALLS", "WALLS", "WALLS"}));
    EXPECT_EQ(texts(db, {entities[0], entities[1]}, 6),
              (std::vector<std::string>{r12 ? "BYLAYER" : "ByLayer", "ByBlock"}));
    EXPECT_EQ(texts(db, {entities[3], entities[4], entities[5]}, 7),
              (std::vector<std::string>{"Notes", standard, standard}));
    EXPECT_EQ(texts(db, {entities[6], entities[7]}, 3),
              (std::vector<std::string>{"Plan", standard}));
    EXPECT_EQ(texts(db, db.blocks()[db.block_index("SIGN")].entities, 7),
              std::vector<std::string>{standard});
    EXPECT_NE(db.table_entry("LAYER", "PIPES"), kNoRecord);
    for (const char* block : {"*D1", "*D4", "DOOR"}) {
      ASSERT_NE(db.block_index(block), Database::npos) << block;
      EXPECT_TRUE(db.blocks()[db.block_index(block)].entities.empty()) << block;
      EXPECT_EQ(db.table_entry("BLOCK_RECORD", block) != kNoRecord, !r12) << block;
    }
    // The blocks the dimensions name are taken, so that no new dimension takes their names.
    EXPECT_EQ(db.highest_numbered_block("*D"), 4);
    for (RecordId id : entities) EXPECT_TRUE(references_held(db, db.record(id))) << id;

    // Settled once: written and read back, the records are the same and nothing is noted.
    const std::string written = write_dxf(db);
    ReadResult back = read_dxf(written, "written.dxf");
    ASSERT_TRUE(back.db) << back.error;
    EXPECT_EQ(diff_records(db, *back.db), "");
    EXPECT_EQ(back.notes, std::vector<std::string>{});
    EXPECT_TRUE(testing::saved_and_audited(db, "refs.dxf"));
  }
}

}  // namespace
}  // namespace cad
