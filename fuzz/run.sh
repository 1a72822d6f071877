#!/usr/bin/env bash
# Builds one fuzz target if needed and runs it for a given time on one core, starting from seeds
# taken from the tests and the shared drawings. Usage: fuzz/run.sh TARGET SECONDS
# The corpus grows in fuzz/corpus-run/TARGET (kept between runs); findings go to
# fuzz/corpus-run/TARGET-findings. One job in fork mode, so that fuzzing goes on after a finding.
# Prints the executions and every finding of the run with the property or check it breaks.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 TARGET SECONDS (TARGET: fuzz_dxf_reader fuzz_script_replies" \
    "fuzz_wildcard_filter fuzz_dcl)" >&2
  exit 2
fi
target=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${DULK_FUZZ_BUILD:-$root/build-fuzz}

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DDULK_FUZZ=ON -DDULK_TESTS=OFF \
    -DDULK_WERROR=ON
fi
cmake --build "$build" --target "$target" -j2

run=$here/corpus-run
corpus=$run/$target
seeds=$run/$target-seeds
findings=$run/$target-findings
mkdir -p "$corpus" "$findings"
rm -rf "$seeds"
python3 "$here/seeds.py" "$target" "$seeds"

options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -fork=1 -ignore_crashes=1
  -ignore_timeouts=1 -ignore_ooms=1 -artifact_prefix="$findings/")
if [ -f "$here/dict/$target.dict" ]; then options+=(-dict="$here/dict/$target.dict"); fi
# Seeds are cut to 2 KB; twice that leaves mutations room to grow.
if [ "$target" = fuzz_dxf_reader ]; then options+=(-max_len=4096); fi

log=$run/$target.log
status=0
touch "$log.start"
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$build/fuzz/$target" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?

# The fork mode's last status line: "#1234: cov: ... exec/s: ... oom/timeout/crash: 0/0/1 ..."
last=$(grep -E '^#[0-9]+: cov:' "$log" | tail -1)
runs=$(echo "$last" | sed -E 's/^#([0-9]+):.*/\1/')
echo "$target: ${runs:-?} executions in ${seconds}s, corpus $(ls "$corpus" | wc -l) inputs," \
  "oom/timeout/crash $(echo "$last" | sed -nE 's/.*oom\/timeout\/crash: ([0-9/]+).*/\1/p')" \
  "(log: $log)"
new=$(find "$findings" -type f -newer "$log.start" | sort)
if [ -n "$new" ]; then
  # Each finding replayed once, to say which property or sanitizer check it breaks.
  echo "findings of this run:"
  for f in $new; do
    what=$(UBSAN_OPTIONS=halt_on_error=1 "$build/fuzz/$target" "$f" 2>&1 |
      grep -a -m1 -A1 -E '^property broken|ERROR: AddressSanitizer|runtime error|ERROR: libFuzzer: (timeout|out-of-memory)' |
      cut -c1-160 | tr '\n' ' ' || true)
    echo "  $(basename "$f") ($(stat -c %s "$f") bytes): $what"
  done
fi
echo "all findings: $(ls "$findings" | wc -l) files in $findings"
exit "$status"
