// Reading values from what a person types at a prompt: numbers and points. Public so that tests
// and fuzz targets reach them directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "cad/geom/vec.h"

namespace cad {

// A decimal number as typed: an optional sign, digits with an optional decimal point ("1",
// "-2.5", ".5", "5."), an optional exponent ("1e3", "2.5E-2"). Nothing else: no blanks, no
// hexadecimal, no "inf" or "nan", no value beyond the range of double.
std::optional<double> parse_real(std::string_view text);

// A whole number: an optional sign and digits, within int64_t.
std::optional<int64_t> parse_int(std::string_view text);

// A point reply, in the current UCS (the caller knows which that is):
//   x,y            z = 0
//   x,y,z
//   @dx,dy[,dz]    relative to last_point (dz 0 when left out); "@" alone is last_point
//   dist<angle     polar from the UCS origin, z = 0
//   @dist<angle    polar from last_point, keeping its z
// Angles are degrees, counter-clockwise from the UCS X axis. Blanks are not allowed anywhere.
std::optional<Vec3> parse_point(std::string_view text, Vec3 last_point);

}  // namespace cad
