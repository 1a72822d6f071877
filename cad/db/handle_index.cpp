#include "cad/db/handle_index.h"

#include <utility>

namespace cad {

size_t HandleIndex::home(uint64_t handle) const {
  // Handles are mostly consecutive numbers: a multiplicative hash spreads them over the table.
  return static_cast<size_t>((handle * 0x9E3779B97F4A7C15ull) >> 20) & (places_.size() - 1);
}

uint32_t HandleIndex::find(uint64_t handle) const {
  if (places_.empty() || handle == 0) return kAbsent;
  for (size_t k = home(handle);; k = (k + 1) & (places_.size() - 1)) {
    const Place& p = places_[k];
    if (p.handle == handle) return p.id;
    if (p.handle == 0) return kAbsent;
  }
}

bool HandleIndex::insert(uint64_t handle, uint32_t id) {
  // At most half full, so that probes stay short.
  if (2 * (size_ + 1) > places_.size()) grow(places_.empty() ? 64 : 2 * places_.size());
  for (size_t k = home(handle);; k = (k + 1) & (places_.size() - 1)) {
    Place& p = places_[k];
    if (p.handle == handle) return false;
    if (p.handle == 0) {
      p = {handle, id};
      ++size_;
      return true;
    }
  }
}

void HandleIndex::erase(uint64_t handle) {
  if (places_.empty() || handle == 0) return;
  const size_t mask = places_.size() - 1;
  size_t k = home(handle);
  while (places_[k].handle != handle) {
    if (places_[k].handle == 0) return;
    k = (k + 1) & mask;
  }
  // Moves later entries of the probe run back into the hole, so that every entry stays
  // reachable from its home place without tombstones.
  size_t hole = k;
  for (size_t next = (hole + 1) & mask; places_[next].handle != 0; next = (next + 1) & mask) {
    const size_t want = home(places_[next].handle);
    const bool between =
        hole <= next ? (want > hole && want <= next) : (want > hole || want <= next);
    if (between) continue;
    places_[hole] = places_[next];
    hole = next;
  }
  places_[hole] = Place{};
  --size_;
}

void HandleIndex::reserve(size_t count) {
  size_t places = 64;
  while (places < 2 * count) places *= 2;
  if (places > places_.size()) grow(places);
}

void HandleIndex::grow(size_t places) {
  std::vector<Place> old = std::exchange(places_, std::vector<Place>(places));
  size_ = 0;
  for (const Place& p : old)
    if (p.handle != 0) insert(p.handle, p.id);
}

}  // namespace cad
