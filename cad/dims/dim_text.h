// The text a dimension shows: its measurement printed the way the dimension variables say
// (DIMLFAC, DIMRND, DIMDEC, DIMZIN, DIMDSEP, DIMPOST), a text given by the user in which "<>"
// stands for that measurement, and the room the text takes.
#pragma once

#include <string>
#include <string_view>

#include "cad/dims/dim_style.h"

namespace cad {

// Decimal units whatever DIMLUNIT says: the measurement scaled by DIMLFAC, rounded to DIMRND
// (when above 0), printed with DIMDEC decimals; DIMZIN 4 drops a leading zero and 8 trailing
// zeros (the decimal point too when nothing follows it); DIMDSEP is the decimal separator;
// DIMPOST is a suffix, or, when it holds "<>", the text around the measurement.
std::string format_measurement(double measurement, const DimStyleValues& values);

// The text a dimension with this override (its group 1) shows: an empty override or "<>" shows
// the measurement, a single blank shows nothing, and the first "<>" inside a longer text is
// replaced by the measurement. Anything else, multiline-text codes included, stays as written.
std::string dimension_text(std::string_view override_text, double measurement,
                           const DimStyleValues& values);

struct TextSize {
  double width = 0;
  double height = 0;
};

// The room a dimension text (MTEXT contents) `height` high takes in a style of this width factor:
// its longest line as text_advance (cad/render/text_codes.h) measures it, raised or smaller
// digits at their own height, and the height of its lines (one text height, and the MTEXT line
// pitch of 5/3 of it for each further line).
TextSize dimension_text_size(std::string_view contents, double height, double width_factor);

}  // namespace cad
