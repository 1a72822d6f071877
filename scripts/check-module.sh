#!/usr/bin/env bash
# Checks that the module stays buildable for the real host's platform and bound to the host
# interface alone.
#
# usage: scripts/check-module.sh [BUILD_DIR]   (default build/, which must hold DulkArx.arx)
#  1. every module source compiles as a Windows x64 object (mingw-w64, where wchar_t has 16 bits)
#     at C++17 with warnings as errors, from a copy of host/ and the module's own folders only, so
#     that an include of cad/ or app/ fails; so does the interface probe, which checks host/
#     against the real SDK's declarations (tests/host/interface/sdk_probe.cpp);
#  2. the built DulkArx.arx needs no symbol but the host interface declared in host/ (and found in
#     libdulkcad.so) and the C/C++ runtime.
#
# usage: scripts/check-module.sh --sdk DIR      (DIR: the inc/ folder of the real host's SDK)
#  Compiles every module source and the interface probe, syntax only, for Windows x64 against the
#  SDK's own headers (host/arxHeaders.h with DULK_OBJECTARX), at C++17, warnings as errors. The
#  SDK's headers are the vendor's: they are read where they are, never copied into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
module_dirs=(frame settings chain commands)
warnings=(-Wall -Wextra -Wpedantic -Werror -Wno-unused-parameter)
probe=tests/host/interface/sdk_probe.cpp

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r host "${module_dirs[@]}" "$work/"
mkdir -p "$work/probe"
cp "$probe" "$work/probe/"
sources=()
for dir in "${module_dirs[@]}"; do
  for f in "$dir"/*.cpp; do sources+=("$f"); done
done
sources+=("probe/$(basename "$probe")")

# The SDK's file names are mixed case, as on Windows, and its includes spell them in several
# ways: a folder of links under every spelling its includes use (and under the lower-case name)
# lets a case-sensitive file system find them all, the Windows headers of mingw-w64 included.
case_insensitive_view() {
  local sdk=$1 view=$2 mingw=$3 key spelling
  declare -A real sys
  while IFS= read -r f; do real[${f,,}]=$sdk/$f; done < <(cd "$sdk" && find . -type f -printf '%P\n')
  while IFS= read -r f; do sys[${f,,}]=$mingw/$f; done < <(cd "$mingw" && find . -type f -printf '%P\n')
  link() {
    mkdir -p "$(dirname "$view/$1")"
    [ -e "$view/$1" ] || ln -s "$2" "$view/$1"
  }
  for key in "${!real[@]}"; do link "$key" "${real[$key]}"; done
  while IFS= read -r spelling; do
    key=${spelling,,}
    if [ -n "${real[$key]:-}" ]; then
      link "$spelling" "${real[$key]}"
    elif [ -n "${sys[$key]:-}" ] && [ ! -e "$mingw/$spelling" ]; then
      link "$spelling" "${sys[$key]}"
    fi
  done < <(grep -rhoE '#[[:space:]]*include[[:space:]]*[<"][^">]+[">]' "$sdk" |
    sed -E 's/#[[:space:]]*include[[:space:]]*[<"]//; s/[">]$//' | sort -u)
}

if [ "${1:-}" = "--sdk" ]; then
  sdk=${2:?"check-module: --sdk needs the SDK's inc/ folder"}
  [ -f "$sdk/arxHeaders.h" ] || { echo "check-module: $sdk holds no arxHeaders.h" >&2; exit 1; }
  sdk=$(cd "$sdk" && pwd)
  command -v clang++ >/dev/null || { echo "check-module: clang++ not found (scripts/install.sh --tests)" >&2; exit 1; }
  mingw_gxx=x86_64-w64-mingw32-g++-posix
  command -v "$mingw_gxx" >/dev/null || { echo "check-module: $mingw_gxx not found (scripts/install.sh --tests)" >&2; exit 1; }
  # The Windows runtime headers: mingw-w64's C library and its C++ library, as its g++ finds them
  # (clang brings its own compiler headers).
  runtime=()
  while IFS= read -r dir; do
    case $dir in */c++* | *mingw32/include) runtime+=(-isystem "$dir") ;; esac
  done < <(echo | "$mingw_gxx" -xc++ -E -v - 2>&1 | sed -n '/search starts here:/,/End of search/p' |
    grep '^ /' | sed 's/^ //')
  mingw_include=$(echo | "$mingw_gxx" -xc -E -v - 2>&1 | sed -n '/search starts here:/,/End of search/p' |
    grep -E '^ /.*mingw32/include$' | sed 's/^ //' | head -1)
  case_insensitive_view "$sdk" "$work/sdk-view" "$mingw_include"
  failed=0
  for f in "${sources[@]}"; do
    # The SDK declares a typedef named __super for GNU compilers, which clang's Microsoft
    # extensions take for a keyword: the name is changed for the SDK's sake alone.
    if ! clang++ --target=x86_64-w64-windows-gnu -std=c++17 -fsyntax-only -fms-extensions \
      -D_MSC_VER=1900 -DUNICODE -D_UNICODE -D__super=sdk_super -DDULK_OBJECTARX "${warnings[@]}" \
      -nostdlibinc "${runtime[@]}" -I"$work" -isystem "$work/sdk-view" -isystem "$sdk" \
      "$work/$f"; then
      echo "check-module: $f does not compile against the SDK in $sdk" >&2
      failed=1
    fi
  done
  [ "$failed" = 0 ] && echo "check-module: every module source and the interface probe compile against the SDK in $sdk"
  exit "$failed"
fi

build=${1:-build}
cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || { echo "check-module: $cxx not found (scripts/install.sh --tests)" >&2; exit 1; }
failed=0
for f in "${sources[@]}"; do
  if ! "$cxx" -std=c++17 "${warnings[@]}" -I"$work" -c "$work/$f" -o "$work/$(basename "$f").obj"; then
    echo "check-module: $f does not build as a Windows x64 object against host/ alone" >&2
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "check-module: every module source and the interface probe build as Windows x64 objects"

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
  qualified=$(echo "$name" | c++filt | sed -E 's/\(.*//; s/^(vtable|typeinfo|typeinfo name) for //')
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
