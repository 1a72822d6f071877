// Indexes the drawing keeps beside its records, so that finding a table entry or a block by name,
// the entities that carry an application's extended data, or the next number of an anonymous
// block name costs what is found, not the size of the drawing. The database keeps them through
// every change, undo and loading included (cad/db/database.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cad {

// Hashing and equality of names without regard to case (ASCII, the host's rule for names), for
// unordered containers that find by string_view.
struct NoCaseHash {
  using is_transparent = void;
  // FNV-1a over the upper-case bytes, so that names equal without regard to case hash alike;
  // inline, as every lookup by name hashes.
  size_t operator()(std::string_view s) const noexcept {
    size_t hash = 14695981039346656037ull;
    for (char c : s) {
      const unsigned char upper = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
      hash = (hash ^ upper) * 1099511628211ull;
    }
    return hash;
  }
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// Ids (record ids of the database) under names compared without regard to case (ASCII, the
// host's rule for names), each name's ids in ascending order, every id at most once per name.
//
// Every block and table entry a command makes enters such an index, so it is an open table over
// one array of names, each with its hash: a lookup hashes the name once and touches one slot and
// one name, where a map of nodes would visit and hash node after node.
class IdsByName {
 public:
  using Id = uint32_t;

  void add(std::string_view name, Id id);
  void remove(std::string_view name, Id id);
  // The ids under that name, ascending; empty when none.
  std::span<const Id> find(std::string_view name) const;
  // Calls f(name, ids) for every name that has ids, in no particular order.
  void for_each(const std::function<void(std::string_view, std::span<const Id>)>& f) const;

 private:
  struct Entry {
    std::string name;
    size_t hash;
    std::vector<Id> ids;
  };
  static constexpr uint32_t kEmpty = 0xffffffffu;

  // The slot that holds the name, or the empty slot where it would go.
  size_t slot_of(std::string_view name, size_t hash) const;
  void grow();

  // A name stays once added (with no ids after its last is removed), so slots never empty.
  std::vector<Entry> entries_;
  std::vector<uint32_t> slots_;  // indexes into entries_, kEmpty; a power of two of them
};

// Ids by handle. Handles given in sequence, nearly all of them, index a table; the others (far
// beyond the rest, as a file may carry) go to a hash map.
class HandleIndex {
 public:
  using Id = uint32_t;
  static constexpr Id kNone = 0xffffffffu;

  Id find(uint64_t handle) const;
  // The handle must not be taken (find gives kNone).
  void add(uint64_t handle, Id id);
  void remove(uint64_t handle);
  void reserve(size_t count) { dense_.reserve(count); }

 private:
  std::vector<Id> dense_;
  std::unordered_map<uint64_t, Id> sparse_;
};

// The numbers of names made of a head and a run of digits ("*D12": head "*D", number 12), by
// head without regard to case; a name counts as often as it was added.
class NumberedNames {
 public:
  void add(std::string_view name);
  void remove(std::string_view name);
  // The highest number of a name with that head (which must not end in a digit), 0 when none.
  long highest(std::string_view head) const;

 private:
  std::map<std::string, std::multiset<long>, std::less<>> numbers_;  // by upper-case head
};

}  // namespace cad
