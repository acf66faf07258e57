#!/usr/bin/env bash
# tests/install/install_test.sh [--arch x64|x86] [BUILD] [DIST]
#
# One installer made by tools/release.sh (in DIST, default dist/) in a fresh Wine prefix of its
# own: a silent install; the files; the registry, shortcuts and programs-list entry (install_probe
# of BUILD); the library from a script in another folder; Tessel started by the context-menu
# commands; the uninstaller while Tessel runs or a script holds the library, which must change
# nothing (silently: exit code 2; interactively: the question, Retry, Cancel); a second install
# over the first; the silent uninstaller, after which nothing of it may be left. Stops with the
# reason at the first failure (exit 1).
#
#   x64 (default)  the x64 installer in a 64-bit prefix, BUILD default build/win64. Also: the
#                  32-bit script host (syswow64) uses the installed 32-bit servers (x86\), and
#                  the x86 installer refuses, naming the x64 one.
#   x86            the x86 installer in a 32-bit prefix, BUILD default build/win32 (the 32-bit
#                  probe). Needs i386 programs to run: tools/with-i386.sh.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
arch=x64
if [ "${1:-}" = "--arch" ]; then
  arch=$2
  shift 2
fi
case $arch in
  x64) default_build=build/win64 objformat=pei-x86-64 ;;
  x86) default_build=build/win32 objformat=pei-i386 ;;
  *) echo "install test: --arch must be x64 or x86" >&2; exit 1 ;;
esac
build=$(realpath -m "${1:-$root/$default_build}")
dist=$(realpath -m "${2:-$root/dist}")
started=$(date +%s)

fail() { echo "install test ($arch): FAILED: $*" >&2; exit 1; }
step() { echo "--- $arch: $* ($(($(date +%s) - started)) s)"; }

version=$(bash "$root/tools/release.sh" --version) || fail "no version"
setup="$dist/Tessel-$version-$arch-setup.exe"
probe="$build/bin/install_probe.exe"
[ -f "$setup" ] || fail "no installer $setup (run tools/release.sh first)"
[ -f "$probe" ] || fail "no $probe (build the ${default_build#build/} preset)"

work=$(mktemp -d /tmp/tessel-install.XXXXXX)
cleanup() {
  bash "$root/tools/wine-prefix.sh" "$work/wine" --shutdown
  rm -rf "$work"
}
trap cleanup EXIT

step "fresh prefix"
mkdir -p "$work/wine"
[ "$arch" = x86 ] && echo win32 >"$work/wine/arch"
bash "$root/tools/wine-prefix.sh" "$work/wine" || fail "making the prefix"
. "$root/tools/wine-env.sh" "$work/wine"

instdir_win='C:\Program Files\Nevkit\Tessel'
instdir="$WINEPREFIX/drive_c/Program Files/Nevkit/Tessel"

# Runs a Windows program with a time limit; its output is printed when it fails.
run() {
  local limit=$1; shift
  timeout --kill-after=10 "$limit" "${WINE[@]}" "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null
  local status=$?
  if [ $status -ne 0 ]; then
    tr -d '\r' <"$work/out.txt"
    grep -v '^wine: \|fixme:' "$work/err.txt" | tail -20
  fi
  return $status
}
probe() {
  run 240 "$probe" --gtest_brief=1 --gtest_filter="$1.*" "$instdir_win" "${@:2}" || return 1
  tr -d '\r' <"$work/out.txt" | grep 'PASSED'
}

expect_files() {
  local f files=(Tessel.exe Kelmor0200.dll Derodor.dll NevkitSupport0100.dll Sarvik.dll README-ru.txt LICENSE.txt
                 docs/reference.md samples/README.md samples/StreamReport.vbs samples/ListStreams.vbs
                 samples/ListStreams.js samples/FindFiles.vbs samples/Settings.vbs samples/PictureInfo.vbs
                 samples/BenchMark.vbs samples/ListFile.vbs uninstall.exe)
  [ "$arch" = x64 ] && files+=(x86/Kelmor0200.dll x86/Derodor.dll x86/NevkitSupport0100.dll x86/Sarvik.dll)
  for f in "${files[@]}"; do
    [ -f "$instdir/$f" ] || fail "not installed: $f"
  done
  LC_ALL=C x86_64-w64-mingw32-objdump -f "$instdir/Kelmor0200.dll" | grep -q "$objformat" ||
    fail "Kelmor0200.dll is not $objformat"
  if [ "$arch" = x64 ]; then
    LC_ALL=C x86_64-w64-mingw32-objdump -f "$instdir/x86/Kelmor0200.dll" | grep -q 'pei-i386' ||
      fail "x86/Kelmor0200.dll is not 32-bit"
  else
    [ ! -e "$instdir/x86" ] || fail "the x86 installer made an x86 folder"
  fi
  ! LC_ALL=C x86_64-w64-mingw32-objdump -h "$instdir/Kelmor0200.dll" | grep -q '\.debug_' ||
    fail "debug information installed"
}

if [ "$arch" = x64 ]; then
  step "the x86 installer refuses on 64-bit Windows"
  probe Refuses "$(wine_path "$dist/Tessel-$version-x86-setup.exe")" - || fail "the x86 installer in a 64-bit prefix"
fi

step "silent install"
run 180 "$setup" /S || fail "the installer exited with $?"
expect_files
probe Installed || fail "the installation's registry, shortcuts or programs entry"

# The script client in a folder of its own, with a PNG, a Targa picture and a data file.
mkdir -p "$work/elsewhere"
python3 - "$work/elsewhere" <<'PY' || fail "writing the pictures"
import os, struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
rows = b"".join(b"\0" + bytes([200, 30, 30] * 3) for _ in range(2))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 3, 2, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open(os.path.join(sys.argv[1], "tiny.png"), "wb").write(png)
# Uncompressed true colour, 2 x 2, 24 bits, rows from the top.
tga = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 2, 2, 24, 0x20) + bytes([30, 30, 200] * 4)
open(os.path.join(sys.argv[1], "tiny.tga"), "wb").write(tga)
open(os.path.join(sys.argv[1], "data.txt"), "wb").write(b"12345")
PY
script_client() {
  (cd "$work/elsewhere" && KELMOR_EXPECT_ARCH=$1 bash "$root/tools/run-vbs.sh" "$work/wine" \
    "$root/tests/scripts/lib.vbs" "$here/installed_library.vbs" "$2")
}
if [ "$arch" = x64 ]; then
  step "the library from a script in another folder (64-bit script host)"
  script_client AMD64 cscript.exe || fail "the 64-bit script client"
  step "the 32-bit library from the 32-bit script host (x86 folder, 32-bit registry view)"
  script_client x86 'C:\windows\syswow64\cscript.exe' || fail "the 32-bit script client"
else
  step "the library from a script in another folder"
  script_client x86 cscript.exe || fail "the script client"
fi

step "the context-menu commands"
mkdir -p "$work/items/папка с файлами"
printf 'sample\r\n' >"$work/items/образец данных.txt"
probe Launch "$(wine_path "$work/items/образец данных.txt")" "$(wine_path "$work/items/папка с файлами")" ||
  fail "starting Tessel from the context menu"

step "the silent uninstaller while Tessel runs changes nothing"
probe InUse "$(wine_path "$work/items/образец данных.txt")" - || fail "the uninstaller while Tessel runs"
probe Installed || fail "the registration after the refused uninstall"

step "the silent uninstaller while a script holds the library changes nothing"
host=cscript.exe
[ "$arch" = x64 ] && host='C:\windows\syswow64\cscript.exe'  # the x86\ servers
rm -f "$work/held" "$work/release"
KELMOR_HELD_FILE=$(wine_path "$work/held") KELMOR_RELEASE_FILE=$(wine_path "$work/release") \
  timeout --kill-after=10 150 "${WINE[@]}" "$host" //nologo "$(wine_path "$here/hold_library.vbs")" \
  >"$work/hold.txt" 2>&1 </dev/null &
holder=$!
for _ in $(seq 300); do [ -f "$work/held" ] && break; sleep 0.2; done
[ -f "$work/held" ] || fail "the script did not load the library: $(tr -d '\r' <"$work/hold.txt" | tail -5)"
# The probe runs the uninstaller: "_?=<folder>" must reach it unquoted.
probe HeldByScript
status=$?
touch "$work/release"
wait $holder
[ $status -eq 0 ] || fail "the uninstaller while a script holds the library"
expect_files
probe Installed || fail "the registration after the refused uninstall"

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
