// Writes ASCII DXF tags, the other direction of the tag layer (tags.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cad/db/group.h"
#include "cad/dxf/codepage.h"

namespace cad {

// Writes ASCII DXF: group codes right-aligned to three places, one value per line, text encoded
// by the codec, control characters in caret form (^J), reals and angles as format_real and
// format_angle give them.
class TagWriter {
 public:
  explicit TagWriter(const TextCodec& codec, size_t reserve = 0);
  void text(int code, std::string_view utf8);
  void group(const Group& group);
  std::string& out() { return out_; }

 private:
  void code(int code);
  void raw(std::string_view ascii);
  void real(double value);
  void integer(int64_t value);

  const TextCodec& codec_;
  std::string out_;
};

}  // namespace cad
