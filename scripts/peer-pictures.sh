#!/usr/bin/env bash
# Draws the example's result three ways for docs/peers.md: with dulk, with ezdxf's drawing
# add-on and with LibreCAD (dxf2pdf, as tests/app/other_programs_test.cpp runs it). All three
# draw the same window of the plan, cut out by scripts/peer_pictures.py.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh --docs
build=${DULK_BUILD:-build}
cmake --build "$build" --target dulk DulkArx
view=2.5,6.5,16,23
work="$build/peers"
mkdir -p "$work"
"$build/dulk" examples/pavilion.dxf -s examples/pavilion-autobem.scr -o "$work/pavilion-dim.dxf" -q
/usr/bin/python3 scripts/peer_pictures.py window "$work/pavilion-dim.dxf" "$work/window.dxf" "$view"
"$build/dulk" "$work/window.dxf" --no-module --png docs/peers-dulk.png --view "$view" -q
/usr/bin/python3 scripts/peer_pictures.py ezdxf "$work/window.dxf" docs/peers-ezdxf.png "$view"
rm -f "$work/window.pdf"
(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a window.dxf >/dev/null 2>&1)
pdftoppm -png -r 100 -singlefile "$work/window.pdf" docs/peers-librecad
echo "pictures in docs/peers-*.png"
