#!/usr/bin/env bash
# Builds dulk_bench in Release (with the module beside it, for the module's rows) and prints the
# benchmark table. Arguments go to dulk_bench (--entities N, --repeat N, names of benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${DULK_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -DDULK_BENCH=ON -DDULK_TESTS=OFF -DCMAKE_BUILD_TYPE=Release \
  -DDULK_WERROR=ON >/dev/null
cmake --build "$build" --target dulk_bench -j"$(nproc)"
# The module's rows say so when the module is missing; a module that does not build yet does not
# keep the other rows from running.
cmake --build "$build" --target DulkArx -j"$(nproc)" || echo "bench.sh: DulkArx did not build" >&2
"$build/dulk_bench" "$@"
