// The host's colour numbers (ACI) as RGB, for pictures on a white background.
#pragma once

#include <cstdint>

namespace cad {

// 0xRRGGBB of colour number 1-255 as the host's palette has it; 0 for any other number.
uint32_t aci_rgb(int64_t index);

// The colour a picture on white draws for a colour number: as aci_rgb, except that 7 (white on
// the host's black screen) draws black, as on paper; numbers out of range draw black too.
uint32_t aci_on_white(int64_t index);

}  // namespace cad
