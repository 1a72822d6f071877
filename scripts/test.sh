#!/usr/bin/env bash
# Installs, builds and runs every test: once in the normal build, once with the address and
# undefined-behaviour sanitizers, once built by Clang; checks that the module builds for Windows
# x64 and needs nothing but the host interface. Warnings are errors in every build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh --tests
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDULK_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
bash scripts/check-module.sh build
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDULK_SANITIZE=ON -DDULK_WERROR=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"
# Clang, optimized as a release: another compiler's warnings, and the tests on its code.
CC=clang CXX=clang++ cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=Release -DDULK_WERROR=ON
cmake --build build-clang -j"$jobs"
ctest --test-dir build-clang --output-on-failure -j"$jobs"
