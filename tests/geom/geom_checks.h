// Shared checkers for the geometry tests: points compared component by component within a
// tolerance, so that a failure names the point that is off.
#pragma once

#include <gtest/gtest.h>

#include "cad/geom/vec.h"

namespace cad::testing {

inline constexpr double kTolerance = 1e-9;

inline ::testing::AssertionResult near(Vec3 actual, Vec3 expected, double tolerance = kTolerance) {
  if (distance(actual, expected) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not within "
         << tolerance << " of (" << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

inline ::testing::AssertionResult near(Vec2 actual, Vec2 expected, double tolerance = kTolerance) {
  return near(with_z(actual), with_z(expected), tolerance);
}

}  // namespace cad::testing
