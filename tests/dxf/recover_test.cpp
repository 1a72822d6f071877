// Reading damaged drawings with recover: each kind of damage the strict reader refuses is mended
// or left out and counted; the real drawings read the same either way; damaged copies of them
// (cut short, without TABLES, without a table's header, with a handle given twice) come out as
// files ezdxf reads and audits without an error.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "cad/dxf/compare.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "tests/dxf/dxf_checks.h"
#include "tests/support/case_file.h"
#include "tests/support/files.h"

namespace cad {
namespace {

using testing::dxf_groups;

TEST(Recover, EachDamageIsMendedOrLeftOutAndCounted) {
  for (const testing::CaseLine& c : testing::read_cases("dxf/recover_cases.txt")) {
    SCOPED_TRACE(c.where);
    ASSERT_EQ(c.fields.size(), 3u);
    const std::string file = dxf_groups(c.fields[1]);
    const ReadResult strict = read_dxf(file, "damaged.dxf");
    EXPECT_EQ(strict.db == nullptr, c.fields[0] == "refused") << strict.error;
    const ReadResult recovered = read_dxf(file, "damaged.dxf", {.recover = true});
    ASSERT_TRUE(recovered.db) << recovered.error;
    const std::vector<std::string> lines = recovered.recovered.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.fields[2]), lines.end())
        << ::testing::PrintToString(lines);
  }
}

// The lines of a file between the line pair "0 SECTION / 2 name" and its "0 ENDSEC" left out, or
// (header_only) that pair alone.
std::string without_section(const std::string& file, std::string_view name, bool header_only) {
  const std::string begin = "SECTION\n  2\n" + std::string(name) + "\n";
  const size_t at = file.find(begin);
  if (at == std::string::npos) return file;
  const size_t start = file.rfind('\n', file.rfind('\n', at - 1) - 1) + 1;
  const size_t end = header_only ? at + begin.size() : file.find("ENDSEC\n", at) + 7;
  return file.substr(0, start) + file.substr(end);
}

TEST(Recover, RealDrawingsReadAsBeforeAndDamagedCopiesAuditClean) {
  testing::TempDir dir;
  std::vector<std::string> saved;
  std::mt19937 random(2028);
  for (const std::filesystem::path& path : testing::shared_drawings({"dxf"})) {
    SCOPED_TRACE(path.string());
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    const std::string good = bytes.str();
    const ReadResult strict = read_dxf(good, "good.dxf");
    const ReadResult recovered = read_dxf(good, "good.dxf", {.recover = true});
    ASSERT_EQ(strict.db == nullptr, recovered.db == nullptr);
    if (!strict.db) continue;
    EXPECT_EQ(diff_records(*strict.db, *recovered.db), "");
    EXPECT_EQ(recovered.recovered.total(), 0u)
        << ::testing::PrintToString(recovered.recovered.lines());
    if (strict.form == DxfForm::kBinary) continue;

    struct Damaged {
      std::string what;
      std::string bytes;
      bool refused;  // by the strict reader
    };
    std::vector<Damaged> damaged;
    for (int cut = 0; cut < 2; ++cut)
      damaged.push_back(
          {"cut", good.substr(0, good.size() / 4 + random() % (good.size() / 2)), true});
    if (good.find("\nTABLES\n") != std::string::npos) {
      damaged.push_back({"no TABLES", without_section(good, "TABLES", false), false});
      std::string headless = good;
      const std::string header = "\n  0\nTABLE\n  2\nBLOCK_RECORD";
      const size_t table = headless.find(header + "\n");
      if (table != std::string::npos) {
        headless.erase(table, header.size());
        damaged.push_back({"no BLOCK_RECORD header", headless, true});
      }
    }
    if (const size_t handle = good.find("\n  5\n", good.find("\nENTITIES\n"));
        handle != std::string::npos) {
      std::string twice = good;
      const size_t value_end = twice.find('\n', handle + 5);
      const std::string value = twice.substr(handle + 5, value_end - handle - 5);
      const size_t next = twice.find("\n  5\n", value_end);
      if (next != std::string::npos)
        twice.replace(next + 5, twice.find('\n', next + 5) - next - 5, value);
      damaged.push_back({"handle twice", twice, false});
    }
    for (const Damaged& d : damaged) {
      SCOPED_TRACE(d.what);
      EXPECT_TRUE(!d.refused || !read_dxf(d.bytes, "bad.dxf").db);
      ReadResult r = read_dxf(d.bytes, "bad.dxf", {.recover = true});
      ASSERT_TRUE(r.db) << r.error;
      const std::string out =
          (dir.path() / (path.stem().string() + "_" + std::to_string(saved.size()) + ".dxf"))
              .string();
      std::string error;
      ASSERT_TRUE(save_dxf(*r.db, out, &error, {}, nullptr)) << error;
      saved.push_back(out);
    }
  }
  EXPECT_TRUE(testing::ezdxf_audit(saved));
}

}  // namespace
}  // namespace cad
