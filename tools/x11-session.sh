# tools/x11-session.sh — sourced by the scripts that show the programs' windows on an X screen
# (screenshots.sh, run.sh). Provides:
#
#   x11_prefix_copy SRC DST   copies the Wine prefix SRC to DST, drawing through X11 instead of
#                             the null driver of the tests (unmanaged windows: no window manager)
#   xvfb_start WORK           starts a private virtual screen (Xvfb, 1024x768) on a free display
#                             number and exports DISPLAY; its log is WORK/xvfb.log. Sets
#                             xvfb_pid (stop it with xvfb_stop).
#   xvfb_stop                 stops that screen, if one was started
#   window_shot READY OUT     cuts the window whose screen rectangle ("left top width height")
#                             is in the file READY out of $DISPLAY into the picture OUT

xvfb_pid=

x11_prefix_copy() {
  cp -a "$1" "$2" || return 1
  sed -i 's/^"Graphics"="null"/"Graphics"="x11"/' "$2/user.reg"
  # Wine draws the caption buttons with its Marlett font.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$2/drive_c/windows/Fonts/"
  fi
}

xvfb_start() {
  local work=$1 display= n
  # A free display number: no lock file and no socket.
  for n in $(seq 90 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || { echo "no free X display number" >&2; return 1; }
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$display" ] || { echo "Xvfb did not start, see $work/xvfb.log" >&2; return 1; }
  export DISPLAY=":$display"
}

xvfb_stop() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  fi
  return 0
}

window_shot() {
  local left top width height
  read -r left top width height <"$1" || return 1
  timeout 30 import -display "$DISPLAY" -window root -crop "${width}x${height}+${left}+${top}" +repage "$2" || return 1
  shot_size="${width}x${height}"
}
