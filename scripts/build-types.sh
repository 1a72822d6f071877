#!/usr/bin/env bash
# Builds dulk, the module and the tests in every standard build type with GCC and with Clang,
# warnings as errors, as people build it (one folder each under build-types/). Arguments: build
# types to try instead of all four. Prints one line per build and exits 1 when one failed.
set -euo pipefail
cd "$(dirname "$0")/.."
types=("$@")
if [ ${#types[@]} -eq 0 ]; then types=(Debug Release RelWithDebInfo MinSizeRel); fi
failed=0
for compiler in gcc clang; do
  if [ "$compiler" = gcc ]; then cc=gcc cxx=g++; else cc=clang cxx=clang++; fi
  for type in "${types[@]}"; do
    build=build-types/$compiler-$type
    log=$build.log
    mkdir -p build-types
    if CC=$cc CXX=$cxx cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="$type" -DDULK_WERROR=ON \
      >"$log" 2>&1 && cmake --build "$build" -j"$(nproc)" >>"$log" 2>&1; then
      echo "$compiler $type: built"
    else
      echo "$compiler $type: FAILED (log: $log)"
      failed=1
    fi
  done
done
exit "$failed"
