#!/usr/bin/env bash
# tools/screenshots.sh [BUILD_DIR]
# Takes screenshots of the library's windows for docs/screenshots/, so a reader sees what the
# program looks like. Each window is opened by a small program of the win64 build under Wine
# with the X11 driver, on a private Xvfb display this script starts on a free display number,
# in a copy of the build's Wine prefix (the build's own prefix keeps its null driver for the
# tests). The program tells where its window is and waits; the shot is cut out of the screen.
#
# Every window is taken at 96, 144 and 192 dots per inch (the prefix's LogPixels), so that a
# reader can check that the layout scales and no text is cut.
#
# Writes:
#   docs/screenshots/list-dialog.png   the simple list dialog, one line clicked, its tag shown
#   docs/screenshots/about-program.png, about-description.png, about-modules.png, about-system.png
#                                      the four pages of the library's about box
#   docs/screenshots/tessel-main.png   the stream lister's main window; its rows come from the
#                                      GUI tests' stand-in reader (Wine has no alternate streams)
#   docs/screenshots/tessel-main-144dpi.png   the same at 144 DPI
#   BUILD_DIR/screenshots/<name>-<dpi>dpi.png  every window at 144 and 192 DPI
#
# KELMOR_XVFB_DISPLAY picks the X display number (else the first free one from 90 on).
#
# BUILD_DIR defaults to build/win64; it must hold a built list_dialog_shot.exe and
# about_box_shot.exe (cmake --build BUILD_DIR --target list_dialog_shot about_box_shot).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(realpath -m "${1:-$root/build/win64}")
out="$root/docs/screenshots"

for tool in Xvfb import; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 1; }
done
for shot_program in list_dialog_shot about_box_shot; do
  [ -f "$build/bin/$shot_program.exe" ] || {
    echo "screenshots: $build/bin/$shot_program.exe is missing (build target $shot_program)" >&2; exit 1; }
done

for shot_file in tessel_show.exe Tessel.exe tessel_fake_reader.dll Kelmor0200.dll; do
  [ -f "$build/bin/$shot_file" ] || {
    echo "screenshots: $build/bin/$shot_file is missing (build targets tessel_show tessel_fake_reader)" >&2; exit 1; }
done

# The build's prefix as the template (made with the test settings when missing).
bash "$here/wine-prefix.sh" "$build/wine" || exit 1
. "$here/wine-env.sh" "$build/wine"
. "$here/x11-session.sh"

work=$(mktemp -d /tmp/kelmor-shots.XXXXXX)
template=$WINEPREFIX
cleanup() {
  if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" timeout 30 "$WINESERVER" -k >/dev/null 2>&1
  fi
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT

# Room for the windows at 192 DPI (twice their size at 96).
KELMOR_XVFB_SCREEN=${KELMOR_XVFB_SCREEN:-2048x1536} xvfb_start "$work" || exit 1

# shot NAME PROGRAM [ARGS]: runs the program with a marker folder and ARGS, waits for its "ready" file (the
# window's screen rectangle: left top width height), cuts the window out of the screen into
# $shots/NAME$suffix.png, then lets the program close its window.
shot() {
  local name=$1 program=$2 marks="$work/$1$suffix"
  mkdir -p "$marks" "$shots"
  timeout --kill-after=10 120 "${WINE64[@]}" "$program" "$(wine_path "$marks")" "${@:3}" \
    >"$work/$name$suffix.out" 2>"$work/$name$suffix.err" </dev/null &
  local pid=$!
  for _ in $(seq 600); do [ -s "$marks/ready" ] && break; sleep 0.1; done
  if [ ! -s "$marks/ready" ]; then
    echo "screenshots: $name at $dpi DPI: the window did not appear" >&2
    touch "$marks/done"; wait "$pid"; return 1
  fi
  sleep 0.5  # the last paint after the click
  window_shot "$marks/ready" "$shots/$name$suffix.png"
  local rc=$?
  touch "$marks/done"
  wait "$pid" || true
  [ $rc -eq 0 ] && echo "wrote ${shots#"$root"/}/$name$suffix.png ($shot_size)"
  return $rc
}

# The stream lister on a file with several streams. Wine has no alternate data streams, so the
# rows come from the GUI tests' stand-in reader, registered in this copy under the library's
# reader class: it lists the records written in the file itself (tessel/tests/fake_reader).
tessel_shot() {
  local folder="$WINEPREFIX/drive_c/Документы"
  mkdir -p "$folder"
  printf '%s\n' '3 0 136 ' '1 0 12582912 ::$DATA' '4 0 26 :автор:$DATA' '4 0 58 :заметки:$DATA' \
    '4 0 3310 :миниатюра:$DATA' '7 0 64 ' >"$folder/Отчёт за квартал.doc"
  local dll
  for dll in Kelmor0200.dll tessel_fake_reader.dll; do
    timeout --kill-after=10 120 "${WINE64[@]}" regsvr32 /s "$(wine_path "$build/bin/$dll")" \
      >>"$work/tessel-register.log" 2>&1 </dev/null || { echo "screenshots: registering $dll failed" >&2; return 1; }
  done
  shot tessel-main "$build/bin/tessel_show.exe" "$(wine_path "$build/bin/Tessel.exe")" \
    'C:\Документы\Отчёт за квартал.doc'
}

status=0
for dpi in 96 144 192; do
  # A fresh copy of the template at this resolution (Wine reads it when its server starts).
  if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" timeout 30 "$WINESERVER" -k >/dev/null 2>&1
    rm -rf "$work/prefix"
  fi
  x11_prefix_copy "$template" "$work/prefix" || exit 1
  x11_prefix_dpi "$work/prefix" "$dpi" || exit 1
  export WINEPREFIX="$work/prefix"
  if [ "$dpi" = 96 ]; then shots=$out suffix=; else shots=$build/screenshots suffix=-${dpi}dpi; fi
  shot list-dialog "$build/bin/list_dialog_shot.exe" || status=1
  page=0; for name in program description modules system; do shot "about-$name" "$build/bin/about_box_shot.exe" $page || status=1; page=$((page + 1)); done
  tessel_shot || status=1
done
# The main window at 144 DPI goes with the README.
cp "$build/screenshots/tessel-main-144dpi.png" "$out/" && echo "wrote docs/screenshots/tessel-main-144dpi.png" || status=1
exit $status
