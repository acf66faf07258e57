#!/usr/bin/env bash
# wine-register.sh WINEDIR DLL...
# Prepares the prefix, keeps a wineserver running for the test run (each program then starts
# in a fraction of a second) and registers the built COM servers with Wine's regsvr32.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$1; shift
bash "$here/wine-prefix.sh" "$dir" || exit 1
. "$here/wine-env.sh" "$dir"
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
status=0
for dll in "$@"; do
  if [ ! -f "$dll" ]; then echo "missing: $dll" >&2; status=1; continue; fi
  bash "$here/wine-run.sh" "$dir" regsvr32 /s "$(wine_path "$dll")"
  rc=$?
  if [ $rc -ne 0 ]; then echo "regsvr32 failed ($rc): $dll" >&2; status=1; else echo "registered: $dll"; fi
done
exit $status
