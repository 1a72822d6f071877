// Writes DXF tags, ASCII or binary, the other direction of the tag layer (tags.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cad/db/group.h"
#include "cad/dxf/codepage.h"

namespace cad {

enum class DxfForm { kAscii, kBinary };

// ASCII DXF: group codes right-aligned to three places, one value per line, text encoded by the
// codec, control characters in caret form (^J), reals and angles as format_real and format_angle
// give them.
// Binary DXF: the sentinel, then each group code as 2 bytes (R12: 1 byte, 255 and 2 bytes for
// codes from 255 on), numbers little-endian in the width of their group code's type (angles in
// degrees), texts and handles ending in a zero byte, binary chunks as a length byte and at most
// 127 bytes each (a longer chunk goes in several groups of its code), booleans as one byte.
class TagWriter {
 public:
  TagWriter(const TextCodec& codec, size_t reserve = 0, DxfForm form = DxfForm::kAscii,
            bool one_byte_codes = false);
  void text(int code, std::string_view utf8);
  void group(const Group& group);
  std::string& out() { return out_; }

 private:
  void code(int code);
  void end_value();
  void raw(std::string_view ascii);
  void real(double value);
  void integer(int64_t value, GroupType type);
  void chunks(int code, std::string_view hex);
  template <typename T>
  void bytes(T value);

  const TextCodec& codec_;
  const bool binary_;
  const bool one_byte_codes_;
  std::string out_;
};

}  // namespace cad
