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
/usr/bin/python3 scripts/peer_pictures.py librecad "$work/window.dxf" "$work/librecad.dxf" "$view"
rm -f "$work/librecad.pdf"
(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a librecad.dxf >/dev/null 2>&1)
pdftoppm -png -r 100 -singlefile "$work/librecad.pdf" "$work/librecad"
# The page is landscape A4 around the window: cut it to the window's height.
/usr/bin/python3 -c "
from PIL import Image
im = Image.open('$work/librecad.png')
ink = im.convert('L').point(lambda v: 255 if v < 250 else 0).getbbox()
im.crop(ink).save('docs/peers-librecad.png')
"
echo "pictures in docs/peers-*.png"
