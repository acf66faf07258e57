#!/usr/bin/env bash
# tools/release.sh [--win64 DIR] [--win32 DIR] [--out DIR]   |   tools/release.sh --version
#
# Makes the release under dist/ from the win64 and win32 presets (RelWithDebInfo):
#   Tessel-<version>-x64.zip, Tessel-<version>-x86.zip       the binaries, README-ru.txt (the
#                                                             user's README), LICENSE.txt,
#                                                             docs/reference.md, samples/
#   Tessel-<version>-symbols.zip                              x64/ and x86/ *.debug files
#   Tessel-<version>-x64-setup.exe, Tessel-<version>-x86-setup.exe   the installers (NSIS)
#
# Build trees that exist are reused (only the shipped targets are brought up to date); missing
# ones are configured and built. The shipped binaries are stripped copies: their debug
# information goes into <file>.debug, which each copy names by a .gnu_debuglink section. The
# version is the program's FILEVERSION in tessel/Tessel.rc, the publisher its CompanyName;
# --version prints that version and exits.
#
# The x64 installer writes the registration of the 32-bit servers itself: regdata (a program of
# the win64 build) records what the servers' own DllRegisterServer writes, under Wine in a
# prefix of its own (<win64 tree>/release/wine).
#
# Options or environment: --win64 / KELMOR_RELEASE_WIN64 (default build/win64), --win32 /
# KELMOR_RELEASE_WIN32 (build/win32), --out / KELMOR_RELEASE_OUT (dist).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

die() { echo "release: $*" >&2; exit 1; }

# The program's version and publisher: from its version block, the one place they are kept.
rc=tessel/Tessel.rc
version=$(sed -n 's/^ *FILEVERSION *\([0-9]\+\) *, *\([0-9]\+\) *, *\([0-9]\+\) *, *\([0-9]\+\).*/\1.\2.\3.\4/p' "$rc")
publisher=$(sed -n 's/^ *VALUE *"CompanyName" *, *"\([^"]*\)".*/\1/p' "$rc")
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "no FILEVERSION in $rc"
[ -n "$publisher" ] || die "no CompanyName in $rc"

win64=${KELMOR_RELEASE_WIN64:-build/win64}
win32=${KELMOR_RELEASE_WIN32:-build/win32}
out=${KELMOR_RELEASE_OUT:-dist}
while [ $# -gt 0 ]; do
  case $1 in
    --version) echo "$version"; exit 0 ;;
    --win64) win64=$2; shift 2 ;;
    --win32) win32=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) die "unknown argument: $1 (see the head of $0)" ;;
  esac
done
win64=$(realpath -m "$win64")
win32=$(realpath -m "$win32")
out=$(realpath -m "$out")
started=$(date +%s)

bash tools/setup.sh >/dev/null || exit 1

binaries=(Tessel.exe Kelmor0200.dll Derodor.dll NevkitSupport0100.dll Sarvik.dll)

# Configures a tree when it has never been, then brings the shipped targets up to date.
build() {
  local preset=$1 dir=$2; shift 2
  local log="$dir/release-build.log"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake --preset "$preset" -B "$dir" --log-level=WARNING >/dev/null || die "configuring $preset failed"
  fi
  local type
  type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$dir/CMakeCache.txt")
  [ "$type" = RelWithDebInfo ] || [ "$type" = Release ] || die "$dir is a '$type' build, not a release build"
  cmake --build "$dir" --parallel 2 --target "$@" >"$log" 2>&1 || { tail -30 "$log"; die "building $preset failed"; }
}
echo "=== release $version: building"
build win64 "$win64" Tessel Kelmor0200 Derodor NevkitSupport0100 Sarvik regdata
build win32 "$win32" Tessel Kelmor0200 Derodor NevkitSupport0100 Sarvik

work="$win64/release"
stage="$work/stage"
rm -rf "$stage"
mkdir -p "$stage/x64" "$stage/x86" "$stage/symbols/x64" "$stage/symbols/x86" "$out" || die "cannot make $stage"

# Stripped copies and their debug files; the build trees' binaries stay as they are (the tests
# use them).
echo "=== stripping"
strip_set() {
  local arch=$1 dir=$2 triple=$3 format=$4 f
  for f in "${binaries[@]}"; do
    [ -f "$dir/bin/$f" ] || die "missing $dir/bin/$f"
    LC_ALL=C "$triple-objdump" -f "$dir/bin/$f" | grep -q "file format $format" || die "$dir/bin/$f is not $format"
    cp "$dir/bin/$f" "$stage/$arch/$f"
    (
      cd "$stage/$arch" &&
        "$triple-objcopy" --only-keep-debug "$f" "$f.debug" &&
        "$triple-objcopy" --strip-all --add-gnu-debuglink="$f.debug" "$f" &&
        mv "$f.debug" "../symbols/$arch/"
    ) || die "stripping $f ($arch) failed"
    ! LC_ALL=C "$triple-objdump" -h "$stage/$arch/$f" | grep -q '\.debug_' || die "$f ($arch) still holds debug sections"
  done
}
strip_set x64 "$win64" x86_64-w64-mingw32 pei-x86-64
strip_set x86 "$win32" i686-w64-mingw32 pei-i386

# The 32-bit servers' registration for the x64 installer, from the 64-bit servers' own (same
# sources and class table; regdata turns the path and the type library's platform into the
# 32-bit ones).
echo "=== registration data of the 32-bit servers"
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }
winedir="$work/wine"
KELMOR_WINE_TIMEOUT=120 bash tools/wine-run.sh "$winedir" "$win64/bin/regdata.exe" --win32 \
  "$(winpath "$stage/register32.nsh")" "$(winpath "$stage/unregister32.nsh")" \
  "$(winpath "$stage/x64/Kelmor0200.dll")" '$INSTDIR\x86\Kelmor0200.dll' \
  "$(winpath "$stage/x64/Derodor.dll")" '$INSTDIR\x86\Derodor.dll'
regdata_status=$?
bash tools/wine-prefix.sh "$winedir" --shutdown
[ $regdata_status -eq 0 ] || die "regdata failed ($regdata_status)"
grep -q '^WriteRegStr' "$stage/register32.nsh" || die "regdata wrote no registration"

# Text files for Windows readers: CR LF line ends. The user's README, the reference and the samples.
mkdir -p "$stage/samples" "$stage/docs" || die "cannot make $stage/samples"
for f in README-ru.txt LICENSE.txt docs/reference.md samples/README.md samples/StreamReport.vbs \
  samples/ListStreams.vbs samples/ListStreams.js samples/FindFiles.vbs samples/Settings.vbs \
  samples/PictureInfo.vbs samples/BenchMark.vbs samples/ListFile.vbs; do
  sed 's/\r*$/\r/' "$f" >"$stage/$f" || die "cannot copy $f"
done
# The user's README with a UTF-8 byte-order mark: Notepad before Windows 10 1903 reads text
# without one in the ANSI code page.
{ printf '\xEF\xBB\xBF'; cat "$stage/README-ru.txt"; } >"$stage/README-ru.bom" &&
  mv "$stage/README-ru.bom" "$stage/README-ru.txt" || die "cannot mark README-ru.txt"

echo "=== installers"
for arch in x64 x86; do
  setup="$stage/Tessel-$version-$arch-setup.exe"
  makensis -V2 -INPUTCHARSET UTF8 -DARCH="$arch" -DVERSION="$version" -DPUBLISHER="$publisher" \
    -DSTAGE="$stage" -DOUTFILE="$setup" installer/Tessel.nsi >"$work/makensis-$arch.log" 2>&1 ||
    { tail -30 "$work/makensis-$arch.log"; die "makensis ($arch) failed"; }
done

echo "=== archives"
archive() {
  local name=$1; shift
  rm -rf "${stage:?}/zip" && mkdir -p "$stage/zip/$name" && cp -r "$@" "$stage/zip/$name/" || die "staging $name"
  (cd "$stage/zip" && zip -q -r -X "../$name.zip" "$name") || die "zip $name failed"
}
for arch in x64 x86; do
  archive "Tessel-$version-$arch" "${binaries[@]/#/$stage/$arch/}" "$stage/README-ru.txt" "$stage/LICENSE.txt" \
    "$stage/docs" "$stage/samples"
done
archive "Tessel-$version-symbols" "$stage/symbols/x64" "$stage/symbols/x86"

artefacts=("Tessel-$version-x64.zip" "Tessel-$version-x86.zip" "Tessel-$version-symbols.zip"
           "Tessel-$version-x64-setup.exe" "Tessel-$version-x86-setup.exe")
for a in "${artefacts[@]}"; do
  mv -f "$stage/$a" "$out/$a" || die "cannot move $a to $out"
done
echo "=== release $version in $out ($(($(date +%s) - started)) s)"
(cd "$out" && ls -l "${artefacts[@]}")
