// The handle index of a drawing: handle to record, in one flat table (open addressing, linear
// probing), because reading a drawing inserts every handle and the interface looks them up all
// the time. Handles are never 0, which marks an empty place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cad {

class HandleIndex {
 public:
  static constexpr uint32_t kAbsent = 0xffffffffu;

  // The record of a handle, or kAbsent.
  uint32_t find(uint64_t handle) const;
  // False (and nothing changed) when the handle is there already.
  bool insert(uint64_t handle, uint32_t id);
  void erase(uint64_t handle);
  size_t size() const { return size_; }
  void reserve(size_t count);

 private:
  struct Place {
    uint64_t handle = 0;
    uint32_t id = 0;
  };
  size_t home(uint64_t handle) const;
  void grow(size_t places);

  std::vector<Place> places_;
  size_t size_ = 0;
};

}  // namespace cad
