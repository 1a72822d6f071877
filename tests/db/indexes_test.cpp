// The index of ids by name: names without regard to case, ids ascending and once, names that
// lose their last id, and an index grown over many names.
#include "cad/db/indexes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace cad {
namespace {

std::vector<uint32_t> ids(const IdsByName& index, std::string_view name) {
  const auto found = index.find(name);
  return {found.begin(), found.end()};
}

TEST(IdsByName, NamesMatchWithoutRegardToCaseAndIdsAscendOnce) {
  IdsByName index;
  index.add("Walls", 7);
  index.add("WALLS", 3);
  index.add("walls", 7);
  index.add("Doors", 5);
  EXPECT_EQ(ids(index, "wAlLs"), (std::vector<uint32_t>{3, 7}));
  EXPECT_EQ(ids(index, "DOORS"), (std::vector<uint32_t>{5}));
  EXPECT_TRUE(index.find("Wall").empty());
  EXPECT_TRUE(IdsByName().find("Walls").empty());
}

TEST(IdsByName, ANameWithoutIdsIsGoneUntilAddedAgain) {
  IdsByName index;
  index.add("A", 1);
  index.add("B", 2);
  index.remove("a", 1);
  index.remove("B", 9);
  index.remove("NONE", 1);
  EXPECT_TRUE(index.find("A").empty());
  std::map<std::string, std::vector<uint32_t>> seen;
  index.for_each([&](std::string_view name, std::span<const uint32_t> found) {
    seen[std::string(name)] = {found.begin(), found.end()};
  });
  EXPECT_EQ(seen, (std::map<std::string, std::vector<uint32_t>>{{"B", {2}}}));
  index.add("a", 4);
  EXPECT_EQ(ids(index, "A"), (std::vector<uint32_t>{4}));
}

TEST(IdsByName, EveryNameIsFoundAfterTheIndexGrew) {
  IdsByName index;
  constexpr uint32_t kNames = 5000;
  for (uint32_t k = 0; k < kNames; ++k) index.add("*D" + std::to_string(k), k);
  for (uint32_t k = 0; k < kNames; ++k) {
    ASSERT_EQ(ids(index, "*d" + std::to_string(k)), (std::vector<uint32_t>{k})) << k;
  }
  EXPECT_TRUE(index.find("*D" + std::to_string(kNames)).empty());
}

}  // namespace
}  // namespace cad
