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

constexpr GroupType group_type(int code) {
  if (code < 0) return code == -4 || code == -2 ? GroupType::kText : GroupType::kInt32;
  if (code <= 4 || (code >= 6 && code <= 9)) return GroupType::kText;
  if (code == 5) return GroupType::kHandle;
  if ((code >= 10 && code <= 18)) return GroupType::kPoint;
  if (code >= 19 && code <= 59) return GroupType::kReal;
  if (code >= 60 && code <= 79) return GroupType::kInt16;
  if (code >= 90 && code <= 99) return GroupType::kInt32;
  if (code == 100 || code == 101 || code == 102) return GroupType::kText;
  if (code == 105) return GroupType::kHandle;
  if (code >= 110 && code <= 112) return GroupType::kPoint;
  if (code >= 113 && code <= 149) return GroupType::kReal;
  if (code >= 160 && code <= 169) return GroupType::kInt64;
  if (code >= 170 && code <= 179) return GroupType::kInt16;
  if (code == 210) return GroupType::kPoint;
  if (code >= 211 && code <= 239) return GroupType::kReal;
  if (code >= 270 && code <= 289) return GroupType::kInt16;
  if (code >= 290 && code <= 299) return GroupType::kBool;
  if (code >= 300 && code <= 309) return GroupType::kText;
  if (code >= 310 && code <= 319) return GroupType::kBinary;
  if (code >= 320 && code <= 369) return GroupType::kHandle;
  if (code >= 370 && code <= 389) return GroupType::kInt16;
  if (code >= 390 && code <= 399) return GroupType::kHandle;
  if (code >= 400 && code <= 409) return GroupType::kInt16;
  if (code >= 410 && code <= 419) return GroupType::kText;
  if (code >= 420 && code <= 429) return GroupType::kInt32;
  if (code >= 430 && code <= 439) return GroupType::kText;
  if (code >= 440 && code <= 449) return GroupType::kInt32;
  if (code >= 450 && code <= 459) return GroupType::kInt32;
  if (code >= 460 && code <= 469) return GroupType::kReal;
  if (code >= 470 && code <= 479) return GroupType::kText;
  if (code >= 480 && code <= 481) return GroupType::kHandle;
  if (code == 999) return GroupType::kComment;
  if (code == 1004) return GroupType::kBinary;
  if (code == 1005) return GroupType::kHandle;
  if (code >= 1000 && code <= 1009) return GroupType::kText;
  if (code >= 1010 && code <= 1013) return GroupType::kPoint;
  if (code >= 1014 && code <= 1059) return GroupType::kReal;
  if (code >= 1060 && code <= 1070) return GroupType::kInt16;
  if (code == 1071) return GroupType::kInt32;
  return GroupType::kText;
}

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
  Group(Group&& other) noexcept
      : code(other.code),
        dims(other.dims),
        kind_(other.kind_),
        short_size_(other.short_size_),
        value_(other.value_) {
    // A long text now belongs to this group.
    other.kind_ = Kind::kReal;
    other.value_.v[0] = other.value_.v[1] = other.value_.v[2] = 0;
  }
  Group& operator=(const Group& other);
  Group& operator=(Group&& other) noexcept;
  ~Group() {
    if (kind_ == Kind::kLongText) delete[] value_.long_text.data;
  }

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
  // False for a real or point that is NaN or infinite, which no drawing holds.
  bool finite() const { return kind_ != Kind::kReal || all_finite(pt()); }
  void set_x(double value) { real_storage()[0] = value; }
  void set_y(double value) { real_storage()[1] = value; }
  void set_z(double value) { real_storage()[2] = value; }
  void set_pt(Vec3 p) {
    double* v = real_storage();
    v[0] = p.x;
    v[1] = p.y;
    v[2] = p.z;
  }
  // Integers of every width and booleans.
  int64_t i() const { return kind_ == Kind::kInteger ? value_.i : 0; }
  void set_i(int64_t value);
  // Text, handles (upper-case hex), binary (hex).
  std::string_view s() const {
    if (kind_ == Kind::kShortText) return {value_.short_text, short_size_};
    if (kind_ == Kind::kLongText) return {value_.long_text.data, value_.long_text.size};
    return {};
  }
  void set_s(std::string_view value);

  bool operator==(const Group& other) const;

 private:
  enum class Kind : uint8_t { kReal, kInteger, kShortText, kLongText };
  static constexpr size_t kShortCapacity = 24;

  void release() {
    if (kind_ == Kind::kLongText) delete[] value_.long_text.data;
    kind_ = Kind::kReal;
    value_.v[0] = value_.v[1] = value_.v[2] = 0;
  }
  double* real_storage() {
    if (kind_ != Kind::kReal) release();
    return value_.v;
  }
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
