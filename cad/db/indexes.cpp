#include "cad/db/indexes.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "cad/base/text.h"
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

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return iequals(a, b);
}

size_t IdsByName::slot_of(std::string_view name, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t k = hash & mask;; k = (k + 1) & mask) {
    const uint32_t at = slots_[k];
    if (at == kEmpty) return k;
    const Entry& e = entries_[at];
    if (e.hash == hash && iequals(e.name, name)) return k;
  }
}

void IdsByName::grow() {
  // At most half full, so that probes stay short.
  slots_.assign(slots_.empty() ? 16 : 2 * slots_.size(), kEmpty);
  const size_t mask = slots_.size() - 1;
  for (size_t e = 0; e < entries_.size(); ++e) {
    size_t k = entries_[e].hash & mask;
    while (slots_[k] != kEmpty) k = (k + 1) & mask;
    slots_[k] = static_cast<uint32_t>(e);
  }
}

void IdsByName::add(std::string_view name, Id id) {
  if (2 * (entries_.size() + 1) > slots_.size()) grow();
  const size_t hash = NoCaseHash{}(name);
  const size_t k = slot_of(name, hash);
  if (slots_[k] == kEmpty) {
    slots_[k] = static_cast<uint32_t>(entries_.size());
    entries_.push_back(Entry{std::string(name), hash, {id}});
    return;
  }
  std::vector<Id>& ids = entries_[slots_[k]].ids;
  // New records have the highest ids, so this is nearly always an append.
  const auto at = std::lower_bound(ids.begin(), ids.end(), id);
  if (at == ids.end() || *at != id) ids.insert(at, id);
}

void IdsByName::remove(std::string_view name, Id id) {
  if (slots_.empty()) return;
  const size_t k = slot_of(name, NoCaseHash{}(name));
  if (slots_[k] == kEmpty) return;
  std::vector<Id>& ids = entries_[slots_[k]].ids;
  const auto at = std::lower_bound(ids.begin(), ids.end(), id);
  if (at != ids.end() && *at == id) ids.erase(at);
}

std::span<const IdsByName::Id> IdsByName::find(std::string_view name) const {
  if (slots_.empty()) return {};
  const size_t k = slot_of(name, NoCaseHash{}(name));
  if (slots_[k] == kEmpty) return {};
  return entries_[slots_[k]].ids;
}

void IdsByName::for_each(
    const std::function<void(std::string_view, std::span<const Id>)>& f) const {
  for (const Entry& e : entries_)
    if (!e.ids.empty()) f(e.name, e.ids);
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
