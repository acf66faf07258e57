#!/bin/bash
# Runs fuzz targets of a native build for longer than the test command does, each with its memory
# capped (an input that makes a target take more than 512 MB, or allocate that much at once, is a
# finding), one target at a time, and prints each run's counts. The sanitizer's quarantine of freed
# memory (256 MB by default) would count towards the cap: it is kept at 16 MB, so that the cap
# measures what the target holds.
#   tests/fuzz/long-run.sh [-t SECONDS] [-b BUILD_DIR] TARGET...     (default: 600 s, build/native)
set -euo pipefail
seconds=600
build=build/native
while getopts "t:b:" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    b) build=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
root=$(cd "$(dirname "$0")/../.." && pwd)
status=0
for target in "$@"; do
  program=$(find "$build" -type f -name "$target" -perm -u+x | head -n 1)
  [ -n "$program" ] && program=$(realpath "$program")
  if [ -z "$program" ]; then
    echo "$target: not built in $build" >&2
    status=1
    continue
  fi
  work=$(mktemp -d)
  inputs=("$work")
  [ -d "$root/tests/fuzz/seeds/$target" ] && inputs+=("$root/tests/fuzz/seeds/$target")
  [ -d "$root/tests/fuzz/crashers/$target" ] && inputs+=("$root/tests/fuzz/crashers/$target")
  log="$work.log"
  if (cd "$work" && ASAN_OPTIONS=quarantine_size_mb=16 "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=512 -malloc_limit_mb=512 \
        -print_final_stats=1 "${inputs[@]}" >"$log" 2>&1); then
    result=passed
  else
    result=FAILED
    status=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  peak=$(grep -o 'stat::peak_rss_mb: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  echo "$target: $result, $runs runs in $seconds s, peak RSS $peak MB"
  [ $result = FAILED ] && tail -n 30 "$log"
  rm -rf "$work" "$log"
done
exit $status
