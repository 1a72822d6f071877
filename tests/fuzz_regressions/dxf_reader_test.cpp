// Faults fuzz_dxf_reader found in reading and writing DXF, one test each, named after the fault;
// the inputs it found are in data/.
#include <gtest/gtest.h>

#include <string>

#include "cad/dxf/compare.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"

namespace cad {
namespace {

std::string data_file(const std::string& name) {
  return DULK_SOURCE_DIR "/tests/fuzz_regressions/data/" + name;
}

// Handle and binary groups were written with control characters in caret form but read back
// without decoding them: 340 "2\x01A" came back as "2^AA".
TEST(DxfReaderRegression, ControlCharacterInAHandleGroupReadsBackAsItWas) {
  ReadResult first = read_dxf_file(data_file("control_character_in_handle_reference.dxf"));
  ASSERT_TRUE(first.db) << first.error;
  EXPECT_EQ(first.db->record(first.db->entities().at(0)).text(340),
            "2\x01"
            "A");
  ReadResult second = read_dxf(write_dxf(*first.db), "written");
  ASSERT_TRUE(second.db) << second.error;
  EXPECT_EQ(diff_records(*first.db, *second.db), "");
}

// The writer left carets of those groups as they were, so "^A" written from a drawing came back
// as a control character.
TEST(DxfReaderRegression, CaretsInHandleAndBinaryGroupsReadBackAsTheyWere) {
  ReadResult first = read_dxf_file(data_file("control_character_in_handle_reference.dxf"));
  ASSERT_TRUE(first.db) << first.error;
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

// A "102 {" group that is never closed took every later group into the application group, so
// the owner was never found and each save added two more 330 groups.
TEST(DxfReaderRegression, UnclosedApplicationGroupGainsNothingOnEachSave) {
  ReadResult first = read_dxf_file(data_file("unclosed_application_group.dxf"));
  ASSERT_TRUE(first.db) << first.error;
  const std::string once = write_dxf(*first.db);
  ReadResult second = read_dxf(once, "written once");
  ASSERT_TRUE(second.db) << second.error;
  EXPECT_EQ(diff_records(*first.db, *second.db), "");
  EXPECT_EQ(write_dxf(*second.db), once);
}

}  // namespace
}  // namespace cad
