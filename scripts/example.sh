#!/usr/bin/env bash
# Installs, builds, and dimensions the example plan in batch: AutoBem along a cut line through the
# walls of the Barcelona Pavilion, saved as DXF and drawn as SVG and PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
cmake -S . -B build -DDULK_WERROR=ON
cmake --build build -j"$(nproc)"
build/dulk examples/pavilion.dxf -s examples/pavilion-autobem.scr \
  -o build/pavilion-dim.dxf --svg build/pavilion-dim.svg --png build/pavilion-dim.png \
  --view 2.5,6.5,16,23
echo
echo "The dimensioned plan:"
echo "  drawing  $(pwd)/build/pavilion-dim.dxf"
echo "  picture  $(pwd)/build/pavilion-dim.svg"
echo "           $(pwd)/build/pavilion-dim.png"
