#include "cad/dxf/tag_writer.h"

#include <charconv>

#include "cad/dxf/numbers.h"
#include "cad/dxf/tag_types.h"

namespace cad {

TagWriter::TagWriter(const TextCodec& codec, size_t reserve) : codec_(codec) {
  out_.reserve(reserve);
}

void TagWriter::code(int code) {
  char buf[16];
  char* p = buf;
  if (code >= 0 && code < 10) {
    *p++ = ' ';
    *p++ = ' ';
  } else if (code >= 10 && code < 100) {
    *p++ = ' ';
  }
  p = std::to_chars(p, buf + sizeof buf, code).ptr;
  *p++ = '\n';
  out_.append(buf, p);
}

void TagWriter::raw(std::string_view ascii) {
  // A line end inside a value would end the line: control characters go in caret form, and so
  // does a caret, so that GroupReader reads back the same bytes.
  caret_encode(ascii, out_);
  out_.push_back('\n');
}

void TagWriter::real(double value) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, res.ptr);
  out_.push_back('\n');
}

void TagWriter::integer(int64_t value) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, res.ptr);
  out_.push_back('\n');
}

void TagWriter::text(int code_value, std::string_view utf8) {
  code(code_value);
  codec_.encode(utf8, out_);
  out_.push_back('\n');
}

void TagWriter::group(const Group& g) {
  switch (type_of(g.code)) {
    case GroupType::kPoint:
      code(g.code);
      real(g.x());
      if (g.dims >= 2) {
        code(point_y_code(g.code));
        real(g.y());
      }
      if (g.dims >= 3) {
        code(point_z_code(g.code));
        real(g.z());
      }
      return;
    case GroupType::kReal:
      code(g.code);
      if (is_angle_code(g.code)) {
        out_ += format_angle(g.x());
        out_.push_back('\n');
      } else {
        real(g.x());
      }
      return;
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      code(g.code);
      integer(g.i());
      return;
    case GroupType::kHandle:
    case GroupType::kBinary:
      code(g.code);
      raw(g.s());
      return;
    case GroupType::kText:
    case GroupType::kComment:
      break;
  }
  text(g.code, g.s());
}

}  // namespace cad
