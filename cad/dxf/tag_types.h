// The value type of a group code as the tag reader and writer ask for it, for every tag.
#pragma once

#include <array>
#include <cstddef>

#include "cad/db/group.h"

namespace cad {

// group_type() for every code files use, looked up rather than decided range by range: reading
// asks for every tag. A copy in each file that uses it (constexpr without inline), read directly
// rather than through the shared library's table of addresses.
constexpr auto kTypeTable = [] {
  std::array<GroupType, 1072> table{};
  for (size_t k = 0; k < table.size(); ++k) table[k] = group_type(static_cast<int>(k));
  return table;
}();

inline GroupType type_of(int code) {
  return code >= 0 && static_cast<size_t>(code) < kTypeTable.size()
             ? kTypeTable[static_cast<size_t>(code)]
             : group_type(code);
}

}  // namespace cad
