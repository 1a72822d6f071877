// A growing array kept in pages of fixed size. Growing never moves what it holds: a single vector
// would copy every element each time it grows, and a drawing of a hundred thousand records would
// pay for that copy, and for the fresh memory it needs, again and again while commands add to it.
// Elements are addressed by index, as a vector's are; they are only ever added at the end.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace cad {

template <typename T, size_t kPageSize = 1024>
class PagedVector {
  static_assert((kPageSize & (kPageSize - 1)) == 0, "pages hold a power of two of elements");

 public:
  PagedVector() = default;
  PagedVector(const PagedVector&) = delete;
  PagedVector& operator=(const PagedVector&) = delete;
  ~PagedVector() {
    for (size_t k = size_; k > 0; --k) std::destroy_at(&(*this)[k - 1]);
  }

  size_t size() const { return size_; }
  T& operator[](size_t index) { return pages_[index / kPageSize].get()[index % kPageSize]; }
  const T& operator[](size_t index) const {
    return pages_[index / kPageSize].get()[index % kPageSize];
  }

  T& push_back(T value) {
    if (size_ == pages_.size() * kPageSize) {
      // Raw memory: the elements are made one by one as they are added.
      std::unique_ptr<T, FreePage> page(
          static_cast<T*>(::operator new (sizeof(T) * kPageSize, std::align_val_t{alignof(T)})));
      pages_.push_back(std::move(page));
    }
    T* at = std::construct_at(&(*this)[size_], std::move(value));
    ++size_;
    return *at;
  }

  // Room for the page table of this many elements; the pages themselves come as they fill.
  void reserve(size_t count) { pages_.reserve((count + kPageSize - 1) / kPageSize); }

 private:
  struct FreePage {
    void operator()(T* page) const { ::operator delete (page, std::align_val_t{alignof(T)}); }
  };

  std::vector<std::unique_ptr<T, FreePage>> pages_;
  size_t size_ = 0;
};

}  // namespace cad
