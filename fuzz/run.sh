#!/usr/bin/env bash
# Builds one fuzz target if needed and runs it for a given time on every core (one worker each,
# DULK_FUZZ_WORKERS to choose), starting from seeds taken from the tests and the shared drawings.
# Usage: fuzz/run.sh TARGET SECONDS
# The corpus grows in fuzz/corpus-run/TARGET (kept between runs; the workers share it); findings
# go to fuzz/corpus-run/TARGET-findings. A worker that stops at a finding starts again with the
# time left (libFuzzer's fork mode goes on by itself, but restarting a process for every few
# thousand inputs halved what a core ran).
# Prints the executions of all workers and every finding of the run with the property or check it
# breaks.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 TARGET SECONDS (TARGET: fuzz_dxf_reader fuzz_dxf_recover" \
    "fuzz_script_replies fuzz_wildcard_filter fuzz_dcl)" >&2
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

workers=${DULK_FUZZ_WORKERS:-$(nproc)}
options=(-timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/")
dict=$here/dict/$target.dict
# Recovering reads the same files: the reader's dictionary, and its seeds (seeds.py).
if [ "$target" = fuzz_dxf_recover ]; then dict=$here/dict/fuzz_dxf_reader.dict; fi
if [ -f "$dict" ]; then options+=(-dict="$dict"); fi
# Seeds are cut to 2 KB; twice that leaves mutations room to grow.
case $target in fuzz_dxf_reader | fuzz_dxf_recover) options+=(-max_len=4096) ;; esac

logs=$run/$target-logs
rm -rf "$logs"
mkdir -p "$logs"
touch "$logs/start"
deadline=$((SECONDS + seconds))
# One worker: the target run again after each finding, until the time is up; a log per run.
worker() {
  local n=0
  while [ "$SECONDS" -lt "$deadline" ]; do
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$build/fuzz/$target" "${options[@]}" \
      -max_total_time=$((deadline - SECONDS)) "$corpus" "$seeds" >"$logs/worker$1-$n.log" 2>&1 ||
      true
    n=$((n + 1))
  done
}
for w in $(seq "$workers"); do worker "$w" & done
wait

# A run's last status line: "#1234  REDUCE cov: 567 ft: 890 corp: ... exec/s: ..."; the highest
# coverage of the runs is the run's (the workers share the corpus).
runs=0
cov=0
for log in "$logs"/worker*.log; do
  last=$(grep -aE '^#[0-9]+' "$log" | tail -1 || true)
  runs=$((runs + $(echo "${last:-#0}" | sed -E 's/^#([0-9]+).*/\1/')))
  c=$(echo "$last" | sed -nE 's/.* cov: ([0-9]+).*/\1/p')
  if [ "${c:-0}" -gt "$cov" ]; then cov=$c; fi
done
echo "$target: $runs executions in ${seconds}s on $workers workers, coverage $cov edges," \
  "corpus $(ls "$corpus" | wc -l) inputs (logs: $logs)"
new=$(find "$findings" -type f -newer "$logs/start" | sort)
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
[ -z "$new" ]
