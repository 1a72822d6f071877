#include "cad/dims/dim_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "cad/render/text_codes.h"

namespace cad {

namespace {

constexpr int64_t kDimZinNoLeadingZero = 4;
constexpr int64_t kDimZinNoTrailingZeros = 8;
constexpr double kMtextLinePitch = 5.0 / 3.0;

}  // namespace

std::string format_measurement(double measurement, const DimStyleValues& values) {
  // Every dimension drawn formats its measurement: the variables are found by place.
  static const size_t lfac = DimStyleValues::index_of("DIMLFAC");
  static const size_t rnd = DimStyleValues::index_of("DIMRND");
  static const size_t dec = DimStyleValues::index_of("DIMDEC");
  static const size_t zin_var = DimStyleValues::index_of("DIMZIN");
  static const size_t dsep = DimStyleValues::index_of("DIMDSEP");
  static const size_t post_var = DimStyleValues::index_of("DIMPOST");
  double v = measurement * values.at(lfac).r;
  const double step = values.at(rnd).r;
  if (step > 0) v = std::round(v / step) * step;
  const int decimals = static_cast<int>(std::clamp<int64_t>(values.at(dec).i, 0, 8));
  // Fixed notation correctly rounded, as printf's "%.*f" writes it.
  char buf[400];
  const auto written = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  std::string text(buf, written.ptr);
  // Rounding a small negative value prints "-0.00"; a length is never below zero.
  if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') text.erase(0, 1);

  const int64_t zin = values.at(zin_var).i;
  const size_t point = text.find('.');
  if (point != std::string::npos && (zin & kDimZinNoTrailingZeros)) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (zin & kDimZinNoLeadingZero) {
    size_t digit = text.front() == '-' ? 1 : 0;
    if (text.size() > digit + 1 && text[digit] == '0' && text[digit + 1] == '.')
      text.erase(digit, 1);
  }
  const char separator = static_cast<char>(values.at(dsep).i);
  if (separator != '\0') std::replace(text.begin(), text.end(), '.', separator);

  const std::string& post = values.at(post_var).s;
  const size_t slot = post.find("<>");
  if (slot == std::string::npos) return text + post;
  return post.substr(0, slot) + text + post.substr(slot + 2);
}

std::string dimension_text(std::string_view override_text, double measurement,
                           const DimStyleValues& values) {
  if (override_text == " ") return {};
  if (override_text.empty()) return format_measurement(measurement, values);
  const size_t slot = override_text.find("<>");
  if (slot == std::string_view::npos) return std::string(override_text);
  std::string out(override_text.substr(0, slot));
  out += format_measurement(measurement, values);
  out += override_text.substr(slot + 2);
  return out;
}

TextSize dimension_text_size(std::string_view contents, double height, double width_factor) {
  TextSize size;
  const std::vector<TextLine> lines = parse_mtext(contents, height);
  for (const TextLine& line : lines) {
    double width = 0;
    for (const TextRun& run : line) width += text_advance(run.text) * run.height;
    size.width = std::max(size.width, width * width_factor);
  }
  size.height = height * (1 + kMtextLinePitch * static_cast<double>(lines.size() - 1));
  return size;
}

}  // namespace cad
