#include "cad/db/indexes.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "cad/db/record.h"

namespace cad {

namespace {

// A name split into its head and the number its trailing digits spell; nothing when it has no
// trailing digits or they do not fit a long.
std::optional<std::pair<std::string_view, long>> split_number(std::string_view name) {
  size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  if (digits == name.size()) return std::nullopt;
  long value = 0;
  const char* end = name.data() + name.size();
  if (std::from_chars(name.data() + digits, end, value).ec != std::errc()) return std::nullopt;
  return std::pair{name.substr(0, digits), value};
}

}  // namespace

size_t NoCaseHash::operator()(std::string_view s) const noexcept {
  // FNV-1a over the upper-case bytes, so that names equal without regard to case hash alike.
  size_t hash = 14695981039346656037ull;
  for (char c : s) {
    const unsigned char upper = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
    hash = (hash ^ upper) * 1099511628211ull;
  }
  return hash;
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return iequals(a, b);
}

void IdsByName::add(std::string_view name, Id id) {
  auto it = ids_.find(name);
  if (it == ids_.end()) it = ids_.emplace(std::string(name), std::vector<Id>{}).first;
  std::vector<Id>& ids = it->second;
  // New records have the highest ids, so this is nearly always an append.
  const auto at = std::lower_bound(ids.begin(), ids.end(), id);
  if (at == ids.end() || *at != id) ids.insert(at, id);
}

void IdsByName::remove(std::string_view name, Id id) {
  const auto it = ids_.find(name);
  if (it == ids_.end()) return;
  std::vector<Id>& ids = it->second;
  const auto at = std::lower_bound(ids.begin(), ids.end(), id);
  if (at != ids.end() && *at == id) ids.erase(at);
  if (ids.empty()) ids_.erase(it);
}

std::span<const IdsByName::Id> IdsByName::find(std::string_view name) const {
  const auto it = ids_.find(name);
  if (it == ids_.end()) return {};
  return it->second;
}

void IdsByName::for_each(
    const std::function<void(std::string_view, std::span<const Id>)>& f) const {
  for (const auto& [name, ids] : ids_) f(name, ids);
}

HandleIndex::Id HandleIndex::find(uint64_t handle) const {
  if (handle < dense_.size() && dense_[handle] != kNone) return dense_[handle];
  if (sparse_.empty()) return kNone;
  const auto it = sparse_.find(handle);
  return it == sparse_.end() ? kNone : it->second;
}

void HandleIndex::add(uint64_t handle, Id id) {
  // The table may double, not more: a handle far beyond it would leave it mostly empty.
  constexpr size_t kLeast = 1024;
  if (handle < dense_.size()) {
    dense_[handle] = id;
  } else if (handle < 2 * dense_.size() + kLeast) {
    dense_.resize(std::max<size_t>(handle + 1, dense_.size() * 2), kNone);
    dense_[handle] = id;
  } else {
    sparse_.emplace(handle, id);
  }
}

void HandleIndex::remove(uint64_t handle) {
  if (handle < dense_.size() && dense_[handle] != kNone)
    dense_[handle] = kNone;
  else
    sparse_.erase(handle);
}

void NumberedNames::add(std::string_view name) {
  const auto split = split_number(name);
  if (!split) return;
  numbers_[to_upper(split->first)].insert(split->second);
}

void NumberedNames::remove(std::string_view name) {
  const auto split = split_number(name);
  if (!split) return;
  const auto it = numbers_.find(to_upper(split->first));
  if (it == numbers_.end()) return;
  const auto number = it->second.find(split->second);
  if (number != it->second.end()) it->second.erase(number);
  if (it->second.empty()) numbers_.erase(it);
}

long NumberedNames::highest(std::string_view head) const {
  const auto it = numbers_.find(to_upper(head));
  return it == numbers_.end() ? 0 : *it->second.rbegin();
}

}  // namespace cad
