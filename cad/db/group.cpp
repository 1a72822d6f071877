#include "cad/db/group.h"

#include <cstring>

namespace cad {

GroupType group_type(int code) {
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

Group::Group(const Group& other) : code(other.code), dims(other.dims) { copy_value(other); }

Group::Group(Group&& other) noexcept
    : code(other.code),
      dims(other.dims),
      kind_(other.kind_),
      short_size_(other.short_size_),
      value_(other.value_) {
  // The long text now belongs to this group.
  other.kind_ = Kind::kReal;
  other.value_.v[0] = other.value_.v[1] = other.value_.v[2] = 0;
}

Group& Group::operator=(const Group& other) {
  if (this == &other) return *this;
  release();
  code = other.code;
  dims = other.dims;
  copy_value(other);
  return *this;
}

Group& Group::operator=(Group&& other) noexcept {
  if (this == &other) return *this;
  release();
  code = other.code;
  dims = other.dims;
  kind_ = other.kind_;
  short_size_ = other.short_size_;
  value_ = other.value_;
  other.kind_ = Kind::kReal;
  other.value_.v[0] = other.value_.v[1] = other.value_.v[2] = 0;
  return *this;
}

void Group::copy_value(const Group& other) {
  kind_ = other.kind_;
  short_size_ = other.short_size_;
  if (other.kind_ != Kind::kLongText) {
    value_ = other.value_;
    return;
  }
  const size_t size = other.value_.long_text.size;
  value_.long_text.data = new char[size];
  value_.long_text.size = size;
  std::memcpy(value_.long_text.data, other.value_.long_text.data, size);
}

void Group::release() {
  if (kind_ == Kind::kLongText) delete[] value_.long_text.data;
  kind_ = Kind::kReal;
  value_.v[0] = value_.v[1] = value_.v[2] = 0;
}

double* Group::real_storage() {
  if (kind_ != Kind::kReal) release();
  return value_.v;
}

void Group::set_pt(Vec3 p) {
  double* v = real_storage();
  v[0] = p.x;
  v[1] = p.y;
  v[2] = p.z;
}

void Group::set_i(int64_t value) {
  release();
  kind_ = Kind::kInteger;
  value_.i = value;
}

std::string_view Group::s() const {
  switch (kind_) {
    case Kind::kShortText:
      return {value_.short_text, short_size_};
    case Kind::kLongText:
      return {value_.long_text.data, value_.long_text.size};
    case Kind::kReal:
    case Kind::kInteger:
      break;
  }
  return {};
}

void Group::set_s(std::string_view value) {
  if (value.size() <= kShortCapacity) {
    // The value may lie in this group's own long text: copy it before that is freed.
    char copy[kShortCapacity];
    std::memcpy(copy, value.data(), value.size());
    release();
    kind_ = Kind::kShortText;
    short_size_ = static_cast<uint8_t>(value.size());
    std::memcpy(value_.short_text, copy, value.size());
    return;
  }
  char* data = new char[value.size()];
  std::memcpy(data, value.data(), value.size());
  release();
  kind_ = Kind::kLongText;
  value_.long_text.data = data;
  value_.long_text.size = value.size();
}

bool Group::operator==(const Group& other) const {
  return code == other.code && dims == other.dims && x() == other.x() && y() == other.y() &&
         z() == other.z() && i() == other.i() && s() == other.s();
}

Group Group::text(int code, std::string_view value) {
  Group g;
  g.code = code;
  g.set_s(value);
  return g;
}

Group Group::real(int code, double value) {
  Group g;
  g.code = code;
  g.set_x(value);
  return g;
}

Group Group::integer(int code, int64_t value) {
  Group g;
  g.code = code;
  g.set_i(value);
  return g;
}

Group Group::point(int code, Vec3 p, uint8_t dims) {
  Group g;
  g.code = code;
  g.dims = dims;
  g.set_pt(p);
  return g;
}

}  // namespace cad
