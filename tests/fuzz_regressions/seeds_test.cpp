// The seeds fuzz_dxf_reader starts from: the real drawings cut into small pieces (its header, each
// table, block, entity, class and object apart), which the fuzzer runs many times a second and
// mutates into every part of a file, where whole drawings ran a few hundred times a minute.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "cad/dxf/reader.h"
#include "tests/support/files.h"

namespace cad {
namespace {

namespace fs = std::filesystem;

TEST(FuzzSeeds, DrawingsAreCutIntoSmallPiecesOfEverySectionThatTheReaderTakes) {
  testing::TempDir dir;
  const std::string command = "/usr/bin/python3 " DULK_SOURCE_DIR
                              "/fuzz/seeds.py fuzz_dxf_reader " +
                              (dir.path() / "seeds").string() + " >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::map<std::string, size_t> by_section;
  size_t cut = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path() / "seeds")) {
    if (entry.path().filename().string().rfind("cut-", 0) != 0) continue;
    ++cut;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string seed(std::istreambuf_iterator<char>(in), {});
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_LE(seed.size(), 2048u);
    const ReadResult read = read_dxf(seed, "seed");
    EXPECT_TRUE(read.db) << read.error;
    for (const char* section : {"HEADER", "TABLES", "BLOCKS", "ENTITIES", "CLASSES", "OBJECTS"})
      if (seed.find(std::string("\n2\n") + section + "\n") != std::string::npos)
        ++by_section[section];
  }
  // Several pieces of each of the thirty drawings.
  EXPECT_GE(cut, 300u);
  for (const char* section : {"HEADER", "TABLES", "BLOCKS", "ENTITIES", "CLASSES", "OBJECTS"})
    EXPECT_GE(by_section[section], 10u) << section;
}

}  // namespace
}  // namespace cad
