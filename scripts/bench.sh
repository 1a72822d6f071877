#!/usr/bin/env bash
# Builds dulk_bench in Release (with the module beside it, for the module's rows) and prints the
# benchmark table. Arguments go to dulk_bench (--entities N, --repeat N, names of benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${DULK_BENCH_BUILD:-build-bench}
# GCC 12 at -O3 takes some std::string copies for overlapping ones (its bug 105329), which
# -Werror turns into errors in cad/input.
flags=""
if c++ --version 2>/dev/null | grep -q ' 12\.'; then flags=-Wno-restrict; fi
cmake -S . -B "$build" -DDULK_BENCH=ON -DDULK_TESTS=OFF -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" --target dulk_bench -j"$(nproc)"
# The module's rows say so when the module is missing; a module that does not build yet does not
# keep the other rows from running.
cmake --build "$build" --target DulkArx -j"$(nproc)" || echo "bench.sh: DulkArx did not build" >&2
"$build/dulk_bench" "$@"
