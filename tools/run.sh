#!/usr/bin/env bash
# tools/run.sh [PATH] — builds what is missing and starts the stream lister Tessel.exe on PATH
# (default: a sample file made here) in a window: on the user's X display when $DISPLAY is set
# and reachable, otherwise on a private virtual screen (Xvfb). Either way it saves a screenshot
# of the window to build/run-tessel.png and prints the list's rows. On the user's display the
# window stays open until it is closed; on the virtual screen it is closed after the shot.
#
# The program runs in a copy of the build's Wine prefix that draws through X11 (the build's
# own prefix keeps the null display driver of the tests), removed again at the end.
# KELMOR_BUILD_DIR picks another win64 build tree than build/win64.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. tools/x11-session.sh
user_display=${DISPLAY:-}

build=$(realpath -m "${KELMOR_BUILD_DIR:-build/win64}")

bash tools/setup.sh >/dev/null || exit 1
if [ ! -f "$build/build.ninja" ]; then
  cmake --preset win64 -B "$build" --log-level=WARNING >/dev/null || exit 1
fi
mkdir -p build
cmake --build "$build" --target Kelmor0200 Tessel tessel_show >build/run-build.log 2>&1 ||
  { tail -30 build/run-build.log; exit 1; }

target=${1:-}
if [ -z "$target" ]; then
  target=$root/build/run-sample.txt
  printf 'A sample file made by tools/run.sh.\r\n' >"$target"
fi
target=$(realpath -m "$target")
[ -e "$target" ] || { echo "run: no such file or directory: $target" >&2; exit 1; }

bash tools/wine-prefix.sh "$build/wine" || exit 1
work=$(mktemp -d /tmp/tessel-run.XXXXXX)
cleanup() {
  [ -d "$work/wine/prefix" ] && bash "$root/tools/wine-prefix.sh" "$work/wine" --shutdown
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/wine" "$work/marks"
x11_prefix_copy "$build/wine/prefix" "$work/wine/prefix" || exit 1
. tools/wine-env.sh "$work/wine"

# The user's display when it answers, else a virtual screen on a free display number.
on_user_display=false
if [ -n "$user_display" ] && timeout 5 xwd -root -silent -display "$user_display" >/dev/null 2>&1; then
  export DISPLAY=$user_display
  on_user_display=true
else
  xvfb_start "$work" || exit 1
fi

# The library, registered in the copy (with the display set: the first program starts Wine's
# desktop process, which keeps the display it was given).
timeout --kill-after=10 120 "${WINE64[@]}" regsvr32 /s "$(wine_path "$build/bin/Kelmor0200.dll")" \
  >"$work/regsvr32.log" 2>&1 </dev/null || { echo "run: registering Kelmor0200.dll failed" >&2; exit 1; }

timeout --kill-after=10 3700 "${WINE64[@]}" "$build/bin/tessel_show.exe" "$(wine_path "$work/marks")" \
  "$(wine_path "$build/bin/Tessel.exe")" "$(wine_path "$target")" \
  >"$work/show.out" 2>"$work/show.err" </dev/null &
show_pid=$!
for _ in $(seq 600); do
  { [ -s "$work/marks/ready" ] || [ -s "$work/marks/rows.txt" ]; } && break
  kill -0 "$show_pid" 2>/dev/null || break
  sleep 0.1
done
sleep 0.3
if [ ! -s "$work/marks/ready" ]; then
  echo "run: the window did not appear" >&2
  [ -s "$work/marks/rows.txt" ] && cat "$work/marks/rows.txt"
  touch "$work/marks/done"; wait "$show_pid"; exit 1
fi
sleep 0.5  # the window's last paint
window_shot "$work/marks/ready" "$root/build/run-tessel.png" && echo "screenshot: build/run-tessel.png ($shot_size)"
cat "$work/marks/rows.txt"
if $on_user_display; then
  echo "The window is open on $DISPLAY; close it (or press Esc) to end."
else
  touch "$work/marks/done"
fi
wait "$show_pid"
