#!/usr/bin/env bash
# tools/run.sh [PATH] — builds what is missing, prepares the Wine prefix and lists the streams
# of PATH (default: a sample file made here) through the library, as a script client sees it.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash tools/setup.sh >/dev/null || exit 1
if [ ! -f build/win64/build.ninja ]; then
  cmake --preset win64 --log-level=WARNING >/dev/null || exit 1
fi
cmake --build --preset win64 >build/run-build.log 2>&1 || { tail -30 build/run-build.log; exit 1; }

wdir=$root/build/win64/wine
bash tools/wine-register.sh "$wdir" build/win64/bin/Kelmor0200.dll >/dev/null || exit 1
. tools/wine-env.sh "$wdir"

target=${1:-}
if [ -z "$target" ]; then
  target=$root/build/run-sample.txt
  printf 'A sample file made by tools/run.sh.\r\n' >"$target"
fi
target=$(realpath -m "$target")
[ -e "$target" ] || { echo "run: no such file or directory: $target" >&2; exit 1; }

bash tools/wine-run.sh "$wdir" cscript.exe //nologo "$(wine_path "$root/tools/list-streams.vbs")" \
  "$(wine_path "$target")"
