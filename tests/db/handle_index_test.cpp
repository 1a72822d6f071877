// The flat handle index against a plain map: inserting, finding and erasing in a mixed order
// (erasing must keep every later entry of a probe run reachable).
#include "cad/db/handle_index.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace cad {
namespace {

TEST(HandleIndex, AgreesWithAMapThroughInsertsAndErasesThatCollide) {
  HandleIndex index;
  std::map<uint64_t, uint32_t> expected;
  std::mt19937_64 rng(7);
  // Few distinct handles, so that probe runs grow long and erasing moves entries back.
  for (uint32_t step = 0; step < 20000; ++step) {
    const uint64_t handle = 1 + rng() % 3000;
    if (rng() % 3 == 0) {
      index.erase(handle);
      expected.erase(handle);
    } else {
      EXPECT_EQ(index.insert(handle, step), expected.emplace(handle, step).second);
    }
  }
  ASSERT_EQ(index.size(), expected.size());
  for (uint64_t handle = 0; handle <= 3001; ++handle) {
    auto it = expected.find(handle);
    EXPECT_EQ(index.find(handle), it == expected.end() ? HandleIndex::kAbsent : it->second)
        << handle;
  }
}

}  // namespace
}  // namespace cad
