#!/usr/bin/env bash
# run-vbs.sh WINEDIR LIB.vbs TEST.vbs [HOST]
# Runs a VBScript test through Wine's cscript.exe (HOST: another script host, such as
# C:\windows\syswow64\cscript.exe, the 32-bit one of a 64-bit prefix). The shared checks
# (LIB.vbs) and the test are joined into one script. Wine's cscript prints nothing for a runtime
# or syntax error and still exits 0, so a test passes only when it exits 0 AND its last line is
# the summary "N passed, 0 failed".
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$1 lib=$2 test=$3 host=${4:-cscript.exe}
. "$here/wine-env.sh" "$dir"
mkdir -p "$dir/scripts"
joined="$dir/scripts/$(basename "$test")"
{ cat "$lib"; printf '\r\n'; cat "$test"; printf '\r\nSummary\r\n'; } >"$joined"
out="$dir/scripts/$(basename "$test" .vbs).out"
bash "$here/wine-run.sh" "$dir" "$host" //nologo "$(wine_path "$joined")" >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
last=$(tr -d '\r' <"$out" | sed '/^[[:space:]]*$/d' | tail -n 1)
if [ $rc -ne 0 ]; then echo "script exited with $rc" >&2; exit 1; fi
if ! [[ "$last" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
  echo "script did not finish cleanly (last line: '$last')" >&2
  exit 1
fi
exit 0
