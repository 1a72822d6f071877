// The text of one dimension: rounding, the length factor, raised decimals and the trimming of
// zeros, as multiline-text codes the host's dimensions understand.
#include <cmath>
#include <cwchar>
#include <optional>
#include <string>

#include "chain/chain_generation.h"
#include "frame/rb_tools.h"
#include "settings/dim_settings.h"

namespace {

// Top alignment and 0.6 times the height: the raised decimals.
constexpr const ACHAR* kRaise = L"{\\A2\\H0.6x";
// "%f" of the largest double needs more than 300 characters.
constexpr int kNumberLength = 400;

}  // namespace

std::optional<std::wstring> measurement_text(ads_real distance, ads_real rounding,
                                             const DimSettingsRecord& settings) {
  ads_real d = distance;
  if (rounding > 0.0) {
    // A distance exactly halfway between two multiples goes down.
    const ads_real q = std::ceil(d / rounding);
    const ads_real lower = (q - 1.0) * rounding;
    d = d - lower > rounding / 2.0 ? lower + rounding : lower;
  }
  d *= settings.length_factor;
  // A rounding step far below the measurement, or a length factor far above one, can take the
  // number past the largest double: such a text would read "inf".
  if (!std::isfinite(d)) return std::nullopt;
  ACHAR text[kNumberLength] = {};
  std::swprintf(text, kNumberLength, L"%f", d);

  // Decimals copied so far; -1 until the decimal point.
  int decimals = -1;
  bool raised = false;
  std::wstring new_text;
  for (const ACHAR* c = text; *c != L'\0'; ++c) {
    if (decimals >= 0) {
      ++decimals;
    } else if (*c == L'.') {
      decimals = 0;
    }
    if (decimals >= 0 && decimals == settings.raised_after) {
      // With no full-size decimals the raised part takes the place of the point.
      if (decimals != 0) new_text += *c;
      new_text += kRaise;
      raised = true;
    } else {
      new_text += *c;
    }
  }

  if (raised) {
    while (!new_text.empty() && new_text.back() == L'0') {
      new_text.pop_back();
      --decimals;
    }
    new_text += L'}';
  } else {
    while (decimals > settings.min_decimals && !new_text.empty() && new_text.back() == L'0') {
      new_text.pop_back();
      --decimals;
    }
    if (!new_text.empty() && new_text.back() == L'.') new_text.pop_back();
  }

  if (settings.leading_zero == 0) {
    size_t start = 0;
    while (start < new_text.size() && (new_text[start] == L'0' || new_text[start] == L'.')) {
      ++start;
    }
    // A text must keep a full-size digit: when nothing but the raised part would be left (or
    // nothing at all), the last character dropped stays, so 0.005 reads "0" with a raised 5
    // rather than a lone raised 5, and a zero reads "0" rather than an empty raised part.
    if (start > 0 && (start == new_text.size() || new_text[start] == L'{')) --start;
    new_text.erase(0, start);
  }

  return new_text;
}

int format_dim_text(ads_real distance, ads_real rounding) {
  const std::optional<std::wstring> text = measurement_text(distance, rounding, DimSettings);
  if (!text) {
    ChainRequest.text_buffer[0] = L'\0';
    return RTERROR;
  }
  copy_text(ChainRequest.text_buffer, kTextBufferLength, text->c_str());
  return RTNORM;
}
