// The system variables the host knows: their types, defaults and where the drawing keeps them
// (a $NAME header variable, a dimension style group) or that they live only in the session.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "cad/db/group.h"
#include "cad/geom/vec.h"

namespace cad {

enum class VarType : uint8_t { kShort, kLong, kReal, kString, kPoint };

struct VarValue {
  VarType type = VarType::kShort;
  int64_t i = 0;
  double r = 0;
  std::string s;
  Vec3 p;

  static VarValue integer(int64_t v, VarType t = VarType::kShort) {
    VarValue out;
    out.type = t;
    out.i = v;
    return out;
  }
  static VarValue real(double v) {
    VarValue out;
    out.type = VarType::kReal;
    out.r = v;
    return out;
  }
  static VarValue text(std::string v) {
    VarValue out;
    out.type = VarType::kString;
    out.s = std::move(v);
    return out;
  }
  static VarValue point(Vec3 v) {
    VarValue out;
    out.type = VarType::kPoint;
    out.p = v;
    return out;
  }
  bool operator==(const VarValue& o) const {
    return type == o.type && i == o.i && r == o.r && s == o.s && p.x == o.p.x && p.y == o.p.y &&
           p.z == o.p.z;
  }
};

struct SysVarInfo {
  const char* name;  // upper case, without "$"
  VarType type;
  // Group code of the value in the header section (0: not kept in the drawing's header).
  int header_code;
  // Group code in a DIMSTYLE table entry (0: not a dimension style variable).
  int dimstyle_code;
  double real_default;
  int64_t int_default;
  const char* text_default;
  bool read_only;
};

// nullptr for a name the host does not know; the name is matched without regard to case.
const SysVarInfo* sysvar_info(std::string_view name);
std::span<const SysVarInfo> all_sysvars();
// The dimension variables, in the order a DIMSTYLE entry lists them.
std::span<const SysVarInfo> dim_vars();
inline constexpr size_t kDimVarCount = 66;
VarValue sysvar_default(const SysVarInfo& info);
// The value a group holds (a header variable's, a dimension style entry's), as a variable of
// this type holds it.
VarValue var_value(const Group& g, VarType type);

}  // namespace cad
