// One DXF group (code and typed value) and the table of value types by group code. The drawing
// keeps every object as a list of these, so the interface, the reader and the writer share one
// form and nothing the host does not interpret is lost.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cad/geom/vec.h"

namespace cad {

enum class GroupType : uint8_t {
  kText,
  kReal,
  kInt16,
  kInt32,
  kInt64,
  kBool,
  kPoint,  // first code of an x/y/z triple (10-18, 110-112, 210, 1010-1013)
  kHandle,
  kBinary,  // kept as hexadecimal text, as ASCII DXF writes it
  kComment,
};

GroupType group_type(int code);
// The code of the y (or z) group belonging to a point's x group code, for example 20 for 10.
inline int point_y_code(int code) { return code + 10; }
inline int point_z_code(int code) { return code + 20; }
// Angles are degrees in files and radians in the drawing and in entity lists.
inline bool is_angle_code(int code) { return code >= 50 && code <= 58; }

struct Group {
  int code = 0;
  // Points keep the number of coordinates they came with (2 for LWPOLYLINE vertices), so a
  // written file gives back what was read.
  uint8_t dims = 3;
  double x = 0, y = 0, z = 0;  // reals use x
  int64_t i = 0;
  std::string s;  // text, handles (upper-case hex), binary (hex)

  static Group text(int code, std::string value);
  static Group real(int code, double value);
  static Group integer(int code, int64_t value);
  static Group point(int code, Vec3 p, uint8_t dims = 3);

  GroupType type() const { return group_type(code); }
  Vec3 pt() const { return {x, y, z}; }
  bool operator==(const Group&) const = default;
};

}  // namespace cad
