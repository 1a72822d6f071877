#include "cad/dxf/tag_writer.h"

#include <charconv>
#include <cstring>

#include "cad/dxf/numbers.h"
#include "cad/dxf/tag_types.h"
#include "cad/dxf/tags.h"

namespace cad {

namespace {

// The longest chunk a binary group holds in the files of every version.
constexpr size_t kChunkBytes = 127;

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

TagWriter::TagWriter(const TextCodec& codec, size_t reserve, DxfForm form, bool one_byte_codes)
    : codec_(codec), binary_(form == DxfForm::kBinary), one_byte_codes_(one_byte_codes) {
  out_.reserve(reserve);
  if (binary_) out_.append(kBinarySentinel);
}

template <typename T>
void TagWriter::bytes(T value) {
  // Files are little-endian, as this host is.
  char buf[sizeof(T)];
  std::memcpy(buf, &value, sizeof(T));
  out_.append(buf, sizeof(T));
}

void TagWriter::code(int code) {
  if (binary_) {
    if (one_byte_codes_ && code >= 0 && code < 255) {
      out_.push_back(static_cast<char>(code));
      return;
    }
    if (one_byte_codes_) out_.push_back(static_cast<char>(255));
    bytes(static_cast<uint16_t>(code));
    return;
  }
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

void TagWriter::end_value() { out_.push_back(binary_ ? '\0' : '\n'); }

void TagWriter::raw(std::string_view ascii) {
  if (binary_) {
    out_.append(ascii);
  } else {
    // A line end inside a value would end the line: control characters go in caret form, and
    // so does a caret, so that GroupReader reads back the same bytes.
    caret_encode(ascii, out_);
  }
  end_value();
}

void TagWriter::real(double value) {
  if (binary_) {
    bytes(value);
    return;
  }
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, res.ptr);
  out_.push_back('\n');
}

void TagWriter::integer(int64_t value, GroupType type) {
  if (binary_) {
    switch (type) {
      case GroupType::kInt16:
        bytes(static_cast<int16_t>(value));
        return;
      case GroupType::kInt32:
        bytes(static_cast<int32_t>(value));
        return;
      case GroupType::kBool:
        out_.push_back(static_cast<char>(value));
        return;
      default:
        bytes(value);
        return;
    }
  }
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, res.ptr);
  out_.push_back('\n');
}

// A binary group holds its bytes as hexadecimal text. What is no such text (from a damaged
// file) goes in as its own bytes, so that nothing of it is lost.
void TagWriter::chunks(int code_value, std::string_view hex) {
  std::string data;
  bool is_hex = hex.size() % 2 == 0;
  for (size_t k = 0; is_hex && k < hex.size(); k += 2) {
    const int high = hex_digit(hex[k]);
    const int low = hex_digit(hex[k + 1]);
    is_hex = high >= 0 && low >= 0;
    data.push_back(static_cast<char>(high * 16 + low));
  }
  if (!is_hex) data.assign(hex);
  size_t at = 0;
  do {
    const size_t n = std::min(kChunkBytes, data.size() - at);
    code(code_value);
    out_.push_back(static_cast<char>(n));
    out_.append(data, at, n);
    at += n;
  } while (at < data.size());
}

void TagWriter::text(int code_value, std::string_view utf8) {
  code(code_value);
  codec_.encode(utf8, out_, !binary_);
  end_value();
}

void TagWriter::group(const Group& g) {
  const GroupType type = type_of(g.code);
  switch (type) {
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
      if (!is_angle_code(g.code)) {
        real(g.x());
      } else if (binary_) {
        real(radians_to_degrees(g.x()));
      } else {
        out_ += format_angle(g.x());
        out_.push_back('\n');
      }
      return;
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      code(g.code);
      integer(g.i(), type);
      return;
    case GroupType::kBinary:
      if (binary_) {
        chunks(g.code, g.s());
        return;
      }
      code(g.code);
      raw(g.s());
      return;
    case GroupType::kHandle:
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
