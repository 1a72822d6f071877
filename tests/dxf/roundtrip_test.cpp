// Every real drawing of the shared folders survives reading and writing: the written file reads
// back to the same records (handles included) but the anonymous blocks nothing uses, writing is
// deterministic, and ezdxf accepts what we write.
#include <gtest/gtest.h>

#include "cad/dxf/compare.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/unused.h"
#include "cad/dxf/writer.h"
#include "tests/dxf/dxf_checks.h"

namespace cad {
namespace {

using testing::shared_drawings;

class SharedDrawing : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(SharedDrawing, ReadWriteReadGivesTheSameRecordsAndEzdxfAcceptsTheWrittenFile) {
  ReadResult first = read_dxf_file(GetParam().string());
  ASSERT_TRUE(first.db) << first.error;
  std::string written = write_dxf(*first.db);
  ReadResult second = read_dxf(written, "written");
  ASSERT_TRUE(second.db) << second.error;
  const std::unordered_set<RecordId> unused = unused_records(*first.db);
  EXPECT_EQ(diff_records(*copy_drawing(*first.db, Entities::kCopied, &unused), *second.db), "");
  EXPECT_TRUE(second.notes.empty()) << second.notes.front();
  EXPECT_EQ(write_dxf(*second.db), written);

  EXPECT_TRUE(testing::saved_and_audited(*first.db, GetParam().filename().string()));
}

std::string test_name(const ::testing::TestParamInfo<std::filesystem::path>& info) {
  std::string name = info.param.stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(AllFiles, SharedDrawing, ::testing::ValuesIn(shared_drawings()),
                         test_name);

TEST(SharedDrawings, AreThere) { EXPECT_GE(shared_drawings().size(), 20u); }

}  // namespace
}  // namespace cad
