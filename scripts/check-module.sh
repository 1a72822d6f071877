#!/usr/bin/env bash
# Checks that the module stays buildable for the real host's platform and bound to the host
# interface alone:
#  1. every module source compiles as a Windows x64 object (mingw-w64, where wchar_t has 16 bits)
#     with warnings as errors, from a copy of host/ and the module's own folders only, so that an
#     include of cad/ or app/ fails;
#  2. the built DulkArx.arx needs no symbol but the host interface declared in host/ (and found in
#     libdulkcad.so) and the C/C++ runtime.
# usage: scripts/check-module.sh [BUILD_DIR]   (default build/, which must hold DulkArx.arx)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
module_dirs=(frame settings chain commands)

cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || { echo "check-module: $cxx not found (scripts/install.sh --tests)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r host "${module_dirs[@]}" "$work/"
failed=0
for src in "${module_dirs[@]/%//*.cpp}"; do
  for f in $src; do
    if ! "$cxx" -std=c++20 -Wall -Wextra -Wpedantic -Werror -Wno-unused-parameter -I"$work" \
      -c "$work/$f" -o "$work/$(basename "$f").obj"; then
      echo "check-module: $f does not build as a Windows x64 object against host/ alone" >&2
      failed=1
    fi
  done
done
[ "$failed" = 0 ] && echo "check-module: every module source builds as a Windows x64 object"

arx="$build/DulkArx.arx"
host_lib="$build/libdulkcad.so"
[ -f "$arx" ] && [ -f "$host_lib" ] || { echo "check-module: build $arx and $host_lib first" >&2; exit 1; }
# Versioned symbols come from the C and C++ runtime; weak ones need nobody.
mapfile -t wanted < <(nm -D --undefined-only "$arx" | awk '$1 == "U" && $2 !~ /@/ {print $2}')
declare -A offered
while read -r name; do offered[$name]=1; done < <(nm -D --defined-only "$host_lib" | awk '{print $3}')
declared=$(cat host/*.h)
for name in "${wanted[@]}"; do
  if [ -z "${offered[$name]:-}" ]; then
    echo "check-module: DulkArx.arx needs $name, which the host library does not offer" >&2
    failed=1
    continue
  fi
  # Every part of the qualified name (class and function) must be declared in host/.
  qualified=$(echo "$name" | c++filt | sed 's/(.*//')
  IFS=':' read -ra parts <<<"$qualified"
  for part in "${parts[@]}"; do
    [ -z "$part" ] && continue
    if ! grep -qw -- "$part" <<<"$declared"; then
      echo "check-module: DulkArx.arx needs $qualified, which host/ does not declare" >&2
      failed=1
    fi
  done
done
[ "$failed" = 0 ] && echo "check-module: DulkArx.arx needs ${#wanted[@]} host interface symbols and the runtime, nothing else"
exit "$failed"
