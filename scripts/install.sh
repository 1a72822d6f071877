#!/usr/bin/env bash
# Installs what building and testing dulk needs on Debian 12 (run as root); --tests adds the
# other programs the tests open dulk's files with, --docs what the picture scripts of docs/ use.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(build-essential cmake pkg-config libgtest-dev libgmock-dev libedit-dev
  libmimalloc-dev python3 python3-ezdxf librsvg2-bin libpng-dev tmux)
if [ "${1:-}" = "--tests" ]; then
  # Other programs that must open what dulk writes, and a display for them; the Windows x64
  # compiler the module is checked with; Clang, the tests' second compiler (and the fuzzers'),
  # which also checks the module against the real host's SDK.
  packages+=(librecad xvfb xauth g++-mingw-w64-x86-64-posix clang)
elif [ "${1:-}" = "--docs" ]; then
  # What the scripts drawing the pictures of docs/ need: LibreCAD, a PDF rasterizer, and
  # matplotlib for ezdxf's drawing add-on.
  packages+=(librecad python3-matplotlib poppler-utils)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
