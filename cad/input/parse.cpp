// Numbers and points as typed.
#include "cad/input/parse.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace cad {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Skips a run of digits; returns how many there were.
size_t skip_digits(std::string_view text, size_t& i) {
  const size_t start = i;
  while (i < text.size() && is_digit(text[i])) {
    ++i;
  }
  return i - start;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) {
      return parts;
    }
    start = end + 1;
  }
}

Vec3 polar(double dist, double degrees) {
  // Whole turns go first: beyond about 5.7e306 degrees the product with pi would overflow to
  // infinity, and its cosine is NaN.
  const double radians = std::fmod(degrees, 360.0) * std::numbers::pi / 180.0;
  return {dist * std::cos(radians), dist * std::sin(radians), 0};
}

}  // namespace

std::optional<double> parse_real(std::string_view text) {
  // Checked by hand first: from_chars alone would take "inf", "nan" and hexadecimal forms and
  // refuse a leading "+".
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  const size_t number_start = i;
  size_t digits = skip_digits(text, i);
  if (i < text.size() && text[i] == '.') {
    ++i;
    digits += skip_digits(text, i);
  }
  if (digits == 0) {
    return std::nullopt;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      ++i;
    }
    if (skip_digits(text, i) == 0) {
      return std::nullopt;
    }
  }
  if (i != text.size()) {
    return std::nullopt;
  }
  double value = 0;
  const char* first = text.data() + number_start;
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(first, last, value);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) {
    return std::nullopt;
  }
  return text[0] == '-' ? -value : value;
}

std::optional<int64_t> parse_int(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  const size_t digits_start = i;
  if (skip_digits(text, i) == 0 || i != text.size()) {
    return std::nullopt;
  }
  // from_chars takes a minus but no plus; the minus stays so that INT64_MIN still fits.
  const size_t first = text[0] == '-' ? 0 : digits_start;
  int64_t value = 0;
  const auto result = std::from_chars(text.data() + first, text.data() + text.size(), value);
  if (result.ec != std::errc()) {
    return std::nullopt;
  }
  return value;
}

std::optional<Vec3> parse_point(std::string_view text, Vec3 last_point) {
  const bool relative = text.starts_with('@');
  if (relative) {
    text.remove_prefix(1);
    if (text.empty()) {
      return last_point;
    }
  }
  const Vec3 origin = relative ? last_point : Vec3{};
  const std::vector<std::string_view> polar_parts = split(text, '<');
  if (polar_parts.size() == 2) {
    const auto dist = parse_real(polar_parts[0]);
    const auto angle = parse_real(polar_parts[1]);
    if (!dist || !angle) {
      return std::nullopt;
    }
    return origin + polar(*dist, *angle);
  }
  const std::vector<std::string_view> parts = split(text, ',');
  if (polar_parts.size() != 1 || parts.size() < 2 || parts.size() > 3) {
    return std::nullopt;
  }
  Vec3 offset;
  double* const components[] = {&offset.x, &offset.y, &offset.z};
  for (size_t k = 0; k < parts.size(); ++k) {
    const auto value = parse_real(parts[k]);
    if (!value) {
      return std::nullopt;
    }
    *components[k] = *value;
  }
  return origin + offset;
}

}  // namespace cad
