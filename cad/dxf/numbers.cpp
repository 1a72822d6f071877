#include "cad/dxf/numbers.h"

#include <charconv>
#include <cmath>

namespace cad {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Shortest text of a double that reads back exactly, without an exponent for moderate values.
std::string shortest(double value, bool fixed) {
  char buf[400];
  auto res = fixed ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                   : std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

}  // namespace

bool parse_double(std::string_view text, double& value) {
  std::string_view t = trim_value(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  if (plain_decimal(t.data(), t.data() + t.size(), value) == t.data() + t.size()) return true;
  auto res = std::from_chars(t.data(), t.data() + t.size(), value);
  return res.ec == std::errc() && res.ptr == t.data() + t.size();
}

bool parse_integer(std::string_view text, int64_t& value) {
  std::string_view t = trim_value(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto res = std::from_chars(t.data(), t.data() + t.size(), value);
  if (res.ec == std::errc() && res.ptr == t.data() + t.size()) return true;
  // Some programs write integers as reals ("1.0"); a whole number is taken.
  double d = 0;
  if (!parse_double(t, d) || d != std::floor(d) || std::fabs(d) > 9e18) return false;
  value = static_cast<int64_t>(d);
  return true;
}

// ---- numbers ----

double degrees_to_radians(double degrees) { return degrees * (kPi / 180.0); }

std::string format_real(double value) { return shortest(value, false); }

double radians_to_degrees(double radians) {
  if (!std::isfinite(radians)) return radians;
  const double degrees = radians / (kPi / 180.0);
  for (int digits = 1; digits <= 17; ++digits) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, degrees, std::chars_format::general, digits);
    double candidate = 0;
    std::from_chars(buf, res.ptr, candidate);
    if (degrees_to_radians(candidate) == radians) return candidate;
  }
  // The radians did not come from a decimal: the neighbours of the quotient may still hit them.
  double up = degrees;
  double down = degrees;
  for (int step = 0; step < 4; ++step) {
    up = std::nextafter(up, INFINITY);
    down = std::nextafter(down, -INFINITY);
    if (degrees_to_radians(up) == radians) return up;
    if (degrees_to_radians(down) == radians) return down;
  }
  return degrees;
}

std::string format_angle(double radians) {
  if (!std::isfinite(radians)) return format_real(radians);
  const double degrees = radians_to_degrees(radians);
  const double quotient = radians / (kPi / 180.0);
  const bool fixed = quotient == 0 || (std::fabs(quotient) >= 1e-5 && std::fabs(quotient) < 1e15);
  return shortest(degrees, fixed);
}

}  // namespace cad
