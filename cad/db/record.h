// A drawing object as its DXF record: the type (group 0) and every further group in file order.
// Extended data (from the first 1001 group on) stays at the end of the groups.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/group.h"

namespace cad {

// Whether the host takes a name for a new table entry, block or application: 1 to 255 characters
// of valid UTF-8, none of them < > / \ " : ; ? * | = or the back quote.
bool valid_table_name(std::string_view name);

// Handles are upper-case hexadecimal text; 0 means none.
std::string handle_text(uint64_t handle);
uint64_t parse_handle(std::string_view text);  // 0 when not hexadecimal

struct Record {
  std::string type;
  std::vector<Group> groups;

  // The group that holds the object's handle: 105 for DIMSTYLE table entries, 5 elsewhere.
  int handle_code() const { return std::string_view(type) == "DIMSTYLE" ? 105 : 5; }
  uint64_t handle() const;
  void set_handle(uint64_t handle);

  const Group* find(int code, size_t from = 0) const;
  Group* find(int code, size_t from = 0);
  // Index of the first group with this code at or after from, or groups.size().
  size_t index_of(int code, size_t from = 0) const;
  std::string_view text(int code, std::string_view fallback = {}) const;
  double real(int code, double fallback = 0) const;
  int64_t integer(int code, int64_t fallback = 0) const;
  Vec3 point(int code, Vec3 fallback = {}) const;
  bool has(int code) const { return find(code) != nullptr; }

  // Replaces the first group with g's code (before the extended data) or inserts g before the
  // extended data.
  void set(const Group& g);

  size_t xdata_begin() const;
  // Items of one application's extended data (after its 1001 group, up to the next 1001).
  std::vector<Group> xdata(std::string_view app) const;
  bool has_xdata(std::string_view app) const;
  // Replaces that application's extended data (or appends it), keeping every other application's.
  void set_xdata(std::string_view app, const std::vector<Group>& items);
  void remove_xdata(std::string_view app);

  bool operator==(const Record&) const = default;
};

}  // namespace cad
