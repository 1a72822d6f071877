// The module's own dimensioning settings: one process-wide record, loaded for the current
// dimension style by get_dimstyle before chain work and stored per style in the drawing.
#pragma once

#include <cstdint>

#include "host/arxHeaders.h"

constexpr int kStyleNameLength = 256;

struct DimSettingsRecord {
  // The dimension style whose settings the record holds.
  ACHAR style_name[kStyleNameLength];
  // Each rounded length is multiplied by it before its text is written.
  double length_factor;
  // Rounding increment of the texts (the style's DIMRND); 0 or less: no rounding.
  double rounding;
  // Distance between the dimension lines of two parallel chains.
  double chain_spacing;
  // Distance from the reference line of the extension lines to the dimension line.
  double dimline_distance;
  // Length of the inner extension lines, measured from the dimension line.
  double ext_length;
  // Least number of decimal places kept when trailing zeros are dropped.
  int32_t min_decimals;
  // Decimal places written at full size; the rest are raised. 0: all; 7 or more: none.
  int32_t raised_after;
  // 0: leading "0" and "." are dropped from a text; otherwise they stay. Never stored.
  int32_t leading_zero;
};

// Zero-filled when the module is loaded.
extern DimSettingsRecord DimSettings;
