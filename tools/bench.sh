#!/usr/bin/env bash
# tools/bench.sh — installs what is missing, builds the native and win64 presets and runs every
# benchmark (the tests labelled "bench") in full: each compares our code with a reference measured
# in the same run and guards a target ratio. Prints one table of all cases and exits non-zero when
# a target is missed (a miss is measured again before it counts) or a benchmark fails.
# Run it on a quiet machine: the test command (tools/test.sh) runs the same programs briefly, as
# correctness checks only, and never judges a time.
set -uo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh || exit 1

logs=build/bench
mkdir -p "$logs"
failed=()
for preset in native win64; do
  echo "=== build $preset"
  if ! { cmake --preset "$preset" --log-level=WARNING && cmake --build --preset "$preset"; } >"$logs/build-$preset.log" 2>&1; then
    tail -30 "$logs/build-$preset.log"
    failed+=("build $preset")
    continue
  fi
  echo "=== benchmarks ($preset)"
  # One at a time (the labelled tests run serially): each has the machine to itself.
  if ! KELMOR_BENCH=full ctest --preset "$preset" -L bench -V >"$logs/$preset.log" 2>&1; then
    failed+=("benchmarks $preset")
  fi
  LC_ALL=C grep -E '^ *[0-9]+/[0-9]+ Test +#' "$logs/$preset.log" || true
done

echo
echo "=== all benchmarks (ratio = ours / reference)"
LC_ALL=C awk -F'|' '
  BEGIN { printf "%-64s %14s %14s %8s %9s  %s\n", "case", "ours", "reference", "ratio", "target", "" }
  { sub(/^.*BENCH\|/, "BENCH|") }
  /^BENCH\|/ && !seen[$0]++ { printf "%-64s %14s %14s %8s %9s  %s\n", $2, $3, $4, $5, $6, $7 }
' "$logs"/native.log "$logs"/win64.log 2>/dev/null
missed=$(cat "$logs"/native.log "$logs"/win64.log 2>/dev/null | LC_ALL=C grep -o 'BENCH|.*|MISSED$' | LC_ALL=C sort -u | wc -l)
echo "full logs: $logs/"

if [ "$missed" -gt 0 ]; then failed+=("$missed target(s) missed"); fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "every benchmark met its target"
