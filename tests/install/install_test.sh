#!/usr/bin/env bash
# tests/install/install_test.sh [WIN64_BUILD] [DIST]
#
# The x64 installer made by tools/release.sh (in DIST, default dist/) in a fresh Wine prefix of
# its own: a silent install; the files; the registry, shortcuts and programs-list entry
# (install_probe.exe of the win64 build, default build/win64); the library from a script in
# another folder; Tessel started by the context-menu commands; a second install over the first;
# the silent uninstaller, after which nothing of it may be left. Stops with the reason at the
# first failure (exit 1).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath -m "${1:-$root/build/win64}")
dist=$(realpath -m "${2:-$root/dist}")
started=$(date +%s)

fail() { echo "install test: FAILED: $*" >&2; exit 1; }
step() { echo "--- $* ($(($(date +%s) - started)) s)"; }

version=$(bash "$root/tools/release.sh" --version) || fail "no version"
setup="$dist/Tessel-$version-x64-setup.exe"
probe="$build/bin/install_probe.exe"
[ -f "$setup" ] || fail "no installer $setup (run tools/release.sh first)"
[ -f "$probe" ] || fail "no $probe (build the win64 preset)"

work=$(mktemp -d /tmp/tessel-install.XXXXXX)
cleanup() {
  bash "$root/tools/wine-prefix.sh" "$work/wine" --shutdown
  rm -rf "$work"
}
trap cleanup EXIT

step "fresh prefix"
bash "$root/tools/wine-prefix.sh" "$work/wine" || fail "making the prefix"
. "$root/tools/wine-env.sh" "$work/wine"

instdir_win='C:\Program Files\Nevkit\Tessel'
instdir="$WINEPREFIX/drive_c/Program Files/Nevkit/Tessel"

# Runs a Windows program with a time limit; its output is printed when it fails.
run() {
  local limit=$1; shift
  timeout --kill-after=10 "$limit" "${WINE64[@]}" "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null
  local status=$?
  if [ $status -ne 0 ]; then
    tr -d '\r' <"$work/out.txt"
    grep -v '^wine: \|fixme:' "$work/err.txt" | tail -20
  fi
  return $status
}
probe() {
  run 120 "$probe" --gtest_brief=1 --gtest_filter="$1.*" "$instdir_win" "${@:2}" || return 1
  tr -d '\r' <"$work/out.txt" | grep 'PASSED'
}

expect_files() {
  local f
  for f in Tessel.exe Kelmor0200.dll Derodor.dll NevkitSupport0100.dll Sarvik.dll README.md LICENSE.txt \
           samples/StreamReport.vbs samples/README.md uninstall.exe x86/Kelmor0200.dll x86/Derodor.dll x86/NevkitSupport0100.dll x86/Sarvik.dll; do
    [ -f "$instdir/$f" ] || fail "not installed: $f"
  done
  LC_ALL=C x86_64-w64-mingw32-objdump -f "$instdir/Kelmor0200.dll" | grep -q 'pei-x86-64' || fail "Kelmor0200.dll is not 64-bit"
  LC_ALL=C x86_64-w64-mingw32-objdump -f "$instdir/x86/Kelmor0200.dll" | grep -q 'pei-i386' || fail "x86/Kelmor0200.dll is not 32-bit"
  ! LC_ALL=C x86_64-w64-mingw32-objdump -h "$instdir/Kelmor0200.dll" | grep -q '\.debug_' || fail "debug information installed"
}

step "silent install"
run 180 "$setup" /S || fail "the installer exited with $?"
expect_files
probe Installed || fail "the installation's registry, shortcuts or programs entry"

step "the library from a script in another folder"
mkdir -p "$work/elsewhere"
python3 - "$work/elsewhere/tiny.png" <<'PY' || fail "writing the PNG"
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
rows = b"".join(b"\0" + bytes([200, 30, 30] * 3) for _ in range(2))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 3, 2, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open(sys.argv[1], "wb").write(png)
PY
(cd "$work/elsewhere" && bash "$root/tools/run-vbs.sh" "$work/wine" "$root/tests/scripts/lib.vbs" \
  "$here/installed_library.vbs") || fail "the script client"

step "the context-menu commands"
mkdir -p "$work/items/папка с файлами"
printf 'sample\r\n' >"$work/items/образец данных.txt"
probe Launch "$(wine_path "$work/items/образец данных.txt")" "$(wine_path "$work/items/папка с файлами")" ||
  fail "starting Tessel from the context menu"

step "installing again over the installation"
run 180 "$setup" /S || fail "the second install exited with $?"
expect_files
probe Installed || fail "the registry after the second install"

step "silent uninstall"
# The uninstaller copies itself to the temporary folder, starts the copy and returns: wait for
# the prefix's processes to end.
run 60 "$instdir_win\\uninstall.exe" /S || fail "the uninstaller exited with $?"
timeout 120 "$WINESERVER" -w || fail "the uninstaller did not finish"
[ ! -e "$instdir" ] || fail "left in the installation folder: $(cd "$instdir" && find . -mindepth 1 | tr '\n' ' ')"
[ ! -e "$WINEPREFIX/drive_c/Program Files/Nevkit" ] || fail "the publisher's folder is left"
probe Removed || fail "the uninstaller left registry keys or shortcuts"

step "passed"
