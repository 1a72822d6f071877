// The chain request: the process-wide state that the input routines fill and chain generation
// consumes, and the module's angle constants by which a chain direction is classified.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "host/arxHeaders.h"

// A point of the working array: x and y, indexed by the coordinate numbers 0 and 1.
using ChainPoint = std::array<ads_real, 2>;

constexpr int kTextBufferLength = 200;

struct ChainRequestState {
  // One more than the points gathered during input; the points left after generation.
  int32_t point_count;
  // Side of the dimension line along the cross coordinate: +1 larger, -1 smaller, 0 unknown.
  int32_t side;
  // Working copy of the points, alive during one create_chain.
  std::vector<ChainPoint> points;
  // Prompts, keyword replies and dimension texts.
  ACHAR text_buffer[kTextBufferLength];
  // Direction of the chain in the current UCS, radians.
  ads_real angle;
  // Base point of the extension lines, current UCS.
  ads_point line_point;
};

extern ChainRequestState ChainRequest;

// The module's own pi: a truncated value, kept so that directions are classified as they
// always were. Every other angle constant derives from it.
constexpr ads_real kPi = 3.141592653589;
constexpr ads_real kTwoPi = 2.0 * kPi;
constexpr ads_real kHalfPi = kPi / 2.0;
// Half width of the windows around the axis directions.
constexpr ads_real kAngleTolerance = 0.001;
// Two points closer than this along the chain are one place.
constexpr ads_real kPointTolerance = 0.001;
