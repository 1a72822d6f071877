#include "cad/db/group.h"

#include <cstring>

namespace cad {

Group::Group(const Group& other) : code(other.code), dims(other.dims) { copy_value(other); }

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

void Group::set_i(int64_t value) {
  release();
  kind_ = Kind::kInteger;
  value_.i = value;
}

void Group::set_s(std::string_view value) {
  if (value.size() <= kShortCapacity) {
    // The value may lie in this group's own text: every byte is loaded before any is stored.
    // Fixed-size pieces that overlap where the size is not their sum, as memcpy does inside,
    // without a call for each of the millions of short texts a drawing holds.
    const char* from = value.data();
    const size_t n = value.size();
    uint64_t a = 0;
    uint64_t b = 0;
    uint64_t c = 0;
    if (n >= 8) {
      std::memcpy(&a, from, 8);
      std::memcpy(&b, from + (n > 16 ? 8 : n - 8), 8);
      std::memcpy(&c, from + n - 8, 8);
    } else if (n >= 4) {
      uint32_t lo = 0;
      uint32_t hi = 0;
      std::memcpy(&lo, from, 4);
      std::memcpy(&hi, from + n - 4, 4);
      a = lo;
      b = hi;
    } else if (n > 0) {
      a = static_cast<unsigned char>(from[0]);
      b = static_cast<unsigned char>(from[n / 2]);
      c = static_cast<unsigned char>(from[n - 1]);
    }
    release();
    kind_ = Kind::kShortText;
    short_size_ = static_cast<uint8_t>(n);
    char* to = value_.short_text;
    if (n >= 8) {
      std::memcpy(to, &a, 8);
      std::memcpy(to + (n > 16 ? 8 : n - 8), &b, 8);
      std::memcpy(to + n - 8, &c, 8);
    } else if (n >= 4) {
      const uint32_t lo = static_cast<uint32_t>(a);
      const uint32_t hi = static_cast<uint32_t>(b);
      std::memcpy(to, &lo, 4);
      std::memcpy(to + n - 4, &hi, 4);
    } else if (n > 0) {
      to[0] = static_cast<char>(a);
      to[n / 2] = static_cast<char>(b);
      to[n - 1] = static_cast<char>(c);
    }
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
