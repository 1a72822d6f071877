#include "cad/dims/dim_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cad/render/text_codes.h"

namespace cad {

namespace {

constexpr int64_t kDimZinNoLeadingZero = 4;
constexpr int64_t kDimZinNoTrailingZeros = 8;
constexpr double kMtextLinePitch = 5.0 / 3.0;

}  // namespace

std::string format_measurement(double measurement, const DimStyleValues& values) {
  double v = measurement * values.real("DIMLFAC");
  const double step = values.real("DIMRND");
  if (step > 0) v = std::round(v / step) * step;
  const int decimals = static_cast<int>(std::clamp<int64_t>(values.integer("DIMDEC"), 0, 8));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string text = buf;
  // Rounding a small negative value prints "-0.00"; a length is never below zero.
  if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') text.erase(0, 1);

  const int64_t zin = values.integer("DIMZIN");
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
  const char separator = static_cast<char>(values.integer("DIMDSEP"));
  if (separator != '\0') std::replace(text.begin(), text.end(), '.', separator);

  const std::string& post = values.text("DIMPOST");
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
