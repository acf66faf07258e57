#!/usr/bin/env bash
# wine-run.sh WINEDIR PROGRAM [ARGS...]
# Runs one Windows program of the build in the build's prefix, by the prefix's loader (wine64,
# or the 32-bit wine for a 32-bit prefix: see wine-env.sh). Output goes to files first and is
# printed afterwards: Wine's services inherit the standard handles and would keep a pipe open.
# The run is bounded by KELMOR_WINE_TIMEOUT seconds (default 240).
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$1; shift
bash "$here/wine-prefix.sh" "$dir" || exit 1
. "$here/wine-env.sh" "$dir"
out=$(mktemp -d "$KELMOR_WINE_DIR/run.XXXXXX")
timeout --kill-after=10 "${KELMOR_WINE_TIMEOUT:-240}" "${WINE[@]}" "$@" \
  >"$out/stdout" 2>"$out/stderr" </dev/null
rc=$?
cat "$out/stdout"
cat "$out/stderr" >&2
rm -rf "$out"
[ $rc -eq 124 ] && echo "wine-run: timed out after ${KELMOR_WINE_TIMEOUT:-240} s: $*" >&2
exit $rc
