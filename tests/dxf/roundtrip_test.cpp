// Every real drawing of the shared folders survives reading and writing: the written file reads
// back to the same records (handles included) but the anonymous blocks nothing uses, writing is
// deterministic, and ezdxf accepts what we write.
#include <gtest/gtest.h>

#include "cad/dxf/compare.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/tags.h"
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

// Binary files hold what ASCII files do: a drawing written in binary reads back to what its
// ASCII file gives, in either form again byte for byte, and ezdxf reads and audits it. A drawing
// keeps the form of the file it was read from, and R12's binary files their one-byte codes.
TEST_P(SharedDrawing, WrittenInBinaryItReadsBackAsItsAsciiFileDoesAndEzdxfAcceptsIt) {
  ReadResult first = read_dxf_file(GetParam().string());
  ASSERT_TRUE(first.db) << first.error;
  const std::string name = GetParam().filename().string();
  EXPECT_EQ(first.form,
            name.find("binary") != std::string::npos ? DxfForm::kBinary : DxfForm::kAscii);
  const std::string ascii = write_dxf(*first.db);
  const std::string binary = write_dxf(*first.db, nullptr, DxfForm::kBinary);
  ASSERT_TRUE(binary.starts_with(kBinarySentinel));
  ReadResult again = read_dxf(binary, "binary");
  ASSERT_TRUE(again.db) << again.error;
  EXPECT_EQ(again.form, DxfForm::kBinary);
  EXPECT_TRUE(again.notes.empty()) << again.notes.front();
  EXPECT_EQ(write_dxf(*again.db), ascii);
  EXPECT_EQ(write_dxf(*again.db, nullptr, DxfForm::kBinary), binary);
  // "0 SECTION" opens every file: R12 writes its code in one byte, later versions in two.
  const bool r12 = r12_form(drawing_version(*first.db));
  EXPECT_EQ(binary.substr(kBinarySentinel.size(), r12 ? 2 : 3),
            r12 ? std::string("\0S", 2) : std::string("\0\0S", 3));

  EXPECT_TRUE(testing::saved_and_audited(*first.db, name, DxfForm::kBinary));
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
