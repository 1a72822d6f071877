// The paged array behind the record slots: indexing across pages, elements that never move, and
// every element destroyed once.
#include "cad/db/paged_vector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cad {
namespace {

TEST(PagedVector, IndexesReachEveryElementAcrossPageBoundaries) {
  PagedVector<std::string, 4> v;
  for (int k = 0; k < 11; ++k) v.push_back(std::to_string(k));
  ASSERT_EQ(v.size(), 11u);
  for (size_t k = 0; k < v.size(); ++k) EXPECT_EQ(v[k], std::to_string(k));
  v[5] = "changed";
  const PagedVector<std::string, 4>& read = v;
  EXPECT_EQ(read[5], "changed");
  EXPECT_EQ(read[4], "4");
}

TEST(PagedVector, ElementsStayWhereTheyWereWhileItGrows) {
  PagedVector<std::vector<int>, 2> v;
  std::vector<const std::vector<int>*> places;
  for (int k = 0; k < 9; ++k) places.push_back(&v.push_back(std::vector<int>(3, k)));
  for (size_t k = 0; k < places.size(); ++k) {
    EXPECT_EQ(&v[k], places[k]);
    EXPECT_EQ((*places[k])[2], static_cast<int>(k));
  }
}

struct Counted {
  explicit Counted(int* destroyed) : destroyed(destroyed) {}
  Counted(Counted&& other) noexcept : destroyed(other.destroyed) { other.destroyed = nullptr; }
  ~Counted() {
    if (destroyed) ++*destroyed;
  }
  int* destroyed;
};

TEST(PagedVector, DestroysEachElementOnce) {
  int destroyed = 0;
  {
    PagedVector<Counted, 4> v;
    for (int k = 0; k < 6; ++k) v.push_back(Counted(&destroyed));
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 6);
}

}  // namespace
}  // namespace cad
