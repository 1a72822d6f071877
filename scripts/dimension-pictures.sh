#!/usr/bin/env bash
# Draws the pictures of docs/dimensions.md: every case of the table test of dimension blocks
# (tests/dims/dim_block_test.cpp) as dulk's renderer draws it, made small PNGs by rsvg-convert.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${DULK_BUILD:-build}
cmake --build "$build" --target test_dims
"$build/tests/test_dims" --gtest_filter='DimensionBlockRules.*' >/dev/null
mkdir -p docs/dimensions
for svg in "$build"/pictures/dimensions/*.svg; do
  rsvg-convert --format=png --output="docs/dimensions/$(basename "${svg%.svg}").png" "$svg"
done
echo "pictures in docs/dimensions/"
