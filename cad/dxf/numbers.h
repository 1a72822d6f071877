// Numbers of DXF values: reading a value line as a real or an integer, and writing reals and
// angles as the shortest text that reads back exactly. The readers of plain decimals and whole
// numbers are inlined by force: the tag reader runs them for every number it scans, and a call
// each costs a tenth of reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cad/base/text.h"

namespace cad {

// A value without the blanks around it, and without the carriage return of a "\r\n" line end.
inline std::string_view trim_value(std::string_view s) {
  // Most values have nothing to trim.
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  if (s.empty() || (!blank(s.front()) && !blank(s.back()))) return s;
  return trim_back(trim_front(s), " \t\r");
}

inline constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Decimals as files mostly hold them ("-12.3456"): at most 19 digits, no exponent, from p up to
// the first character that is none of these, which is returned. When the digits as a whole number
// are below 2^53 and at most 22 follow the point, both that number and the power of ten are exact
// doubles, so their quotient is the correctly rounded value that from_chars gives. Null when the
// text is of another form.
// kEnd false: the caller knows that p is before end and that a byte other than a digit, point or
// minus comes before end (as in a file whose last byte is none of them), so the scan need not
// compare against end.
template <bool kEnd = true>
[[gnu::always_inline]] inline const char* plain_decimal(const char* p, const char* end,
                                                        double& value) {
  const bool negative = (!kEnd || p != end) && *p == '-';
  if (negative) ++p;
  uint64_t digits = 0;
  const char* first = p;
  for (; (!kEnd || p != end) && *p >= '0' && *p <= '9'; ++p)
    digits = digits * 10 + static_cast<unsigned>(*p - '0');
  ptrdiff_t count = p - first;
  ptrdiff_t after_point = 0;
  if ((!kEnd || p != end) && *p == '.') {
    const char* fraction = ++p;
    for (; (!kEnd || p != end) && *p >= '0' && *p <= '9'; ++p)
      digits = digits * 10 + static_cast<unsigned>(*p - '0');
    after_point = p - fraction;
    count += after_point;
  }
  if (count == 0 || count > 19 || digits > (uint64_t{1} << 53) || after_point > 22) return nullptr;
  // A whole number needs no division, which would wait long for its result.
  const double v = after_point == 0 ? static_cast<double>(digits)
                                    : static_cast<double>(digits) / kPow10[after_point];
  value = negative ? -v : v;
  return p;
}

// Whole numbers of up to 18 digits, as plain_decimal.
template <bool kEnd = true>
[[gnu::always_inline]] inline const char* plain_integer(const char* p, const char* end,
                                                        int64_t& value) {
  const bool negative = (!kEnd || p != end) && *p == '-';
  if (negative) ++p;
  const char* digits = p;
  // Unsigned, so that a longer run of digits wraps instead of overflowing; it is refused anyway.
  uint64_t v = 0;
  for (; (!kEnd || p != end) && *p >= '0' && *p <= '9'; ++p)
    v = v * 10 + static_cast<unsigned>(*p - '0');
  if (p == digits || p - digits > 18) return nullptr;
  value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return p;
}

// A value line as a number: blanks around it and a leading '+' allowed, nothing else. An integer
// may be written as a whole real ("1.0").
bool parse_double(std::string_view text, double& value);
bool parse_integer(std::string_view text, int64_t& value);

// Degrees as files keep angles, radians as the drawing keeps them.
double degrees_to_radians(double degrees);
// The degrees that degrees_to_radians takes back to exactly these radians, the shortest decimal
// among them where there is one (86 for the radians of 86 degrees), as binary files keep angles.
double radians_to_degrees(double radians);
// The shortest text that reads back as exactly this value.
std::string format_real(double value);
// The shortest text in degrees whose conversion back gives exactly these radians ("86" for the
// radians of 86 degrees).
std::string format_angle(double radians);

}  // namespace cad
