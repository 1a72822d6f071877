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

// 32 bytes, because a drawing holds millions: the value is either a number (real, integer or
// point) or text, never both, so they share their storage. Reading the kind a group does not hold
// gives 0 or empty text, as for a group that was never set.
class Group {
 public:
  int code = 0;
  // Points keep the number of coordinates they came with (2 for LWPOLYLINE vertices), so a
  // written file gives back what was read.
  uint8_t dims = 3;

  Group() { value_.v[0] = value_.v[1] = value_.v[2] = 0; }
  Group(const Group& other);
  Group(Group&& other) noexcept;
  Group& operator=(const Group& other);
  Group& operator=(Group&& other) noexcept;
  ~Group() { release(); }

  static Group text(int code, std::string_view value);
  static Group real(int code, double value);
  static Group integer(int code, int64_t value);
  static Group point(int code, Vec3 p, uint8_t dims = 3);

  GroupType type() const { return group_type(code); }

  // Reals and points.
  double x() const { return kind_ == Kind::kReal ? value_.v[0] : 0; }
  double y() const { return kind_ == Kind::kReal ? value_.v[1] : 0; }
  double z() const { return kind_ == Kind::kReal ? value_.v[2] : 0; }
  Vec3 pt() const { return {x(), y(), z()}; }
  void set_x(double value) { real_storage()[0] = value; }
  void set_y(double value) { real_storage()[1] = value; }
  void set_z(double value) { real_storage()[2] = value; }
  void set_pt(Vec3 p);
  // Integers of every width and booleans.
  int64_t i() const { return kind_ == Kind::kInteger ? value_.i : 0; }
  void set_i(int64_t value);
  // Text, handles (upper-case hex), binary (hex).
  std::string_view s() const;
  void set_s(std::string_view value);

  bool operator==(const Group& other) const;

 private:
  enum class Kind : uint8_t { kReal, kInteger, kShortText, kLongText };
  static constexpr size_t kShortCapacity = 24;

  void release();
  double* real_storage();
  void copy_value(const Group& other);

  Kind kind_ = Kind::kReal;
  uint8_t short_size_ = 0;
  union Value {
    double v[3];
    int64_t i;
    char short_text[kShortCapacity];
    struct {
      char* data;
      size_t size;
    } long_text;
  } value_;
};

static_assert(sizeof(Group) == 32, "a drawing holds millions of groups");

}  // namespace cad
