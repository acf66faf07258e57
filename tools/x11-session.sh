# tools/x11-session.sh — sourced by the scripts that show the programs' windows on an X screen
# (screenshots.sh, run.sh). Provides:
#
#   x11_prefix_copy SRC DST   copies the Wine prefix SRC to DST, drawing through X11 instead of
#                             the null driver of the tests (unmanaged windows: no window manager)
#   x11_prefix_dpi PREFIX DPI sets the screen resolution of the Wine prefix PREFIX (its LogPixels,
#                             of the user and of the machine) to DPI dots per inch; the prefix's
#                             Wine processes must have ended
#   xvfb_start WORK           starts a private virtual screen (Xvfb, 1024x768, or as big as
#                             $KELMOR_XVFB_SCREEN says) and exports DISPLAY; its log is
#                             WORK/xvfb.log. Sets xvfb_pid (stop it with xvfb_stop). The display
#                             number is $KELMOR_XVFB_DISPLAY when set (":72" or "72"), else the
#                             first free one from 90 on.
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

x11_prefix_dpi() {
  local prefix=$1 dpi=$2
  python3 - "$prefix" "$dpi" <<'PY' || return 1
import re, sys
prefix, dpi = sys.argv[1], int(sys.argv[2])
value = '"LogPixels"=dword:%08x' % dpi
def put(path, section):
    with open(path, encoding='utf-8', errors='surrogateescape') as f:
        lines = f.read().split('\n')
    head = next((i for i, l in enumerate(lines) if l.split('] ')[0].rstrip(']') == '[' + section), None)
    if head is None:
        lines += ['', '[' + section + ']', value]
    else:
        end = next((i for i in range(head + 1, len(lines)) if lines[i].startswith('[')), len(lines))
        at = next((i for i in range(head + 1, end) if lines[i].startswith('"LogPixels"=')), None)
        if at is None:
            lines.insert(head + 1 + (1 if head + 1 < len(lines) and lines[head + 1].startswith('#') else 0), value)
        else:
            lines[at] = value
    with open(path, 'w', encoding='utf-8', errors='surrogateescape') as f:
        f.write('\n'.join(lines))
put(prefix + '/user.reg', r'Control Panel\\Desktop')
put(prefix + '/system.reg', r'System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts')
PY
}

xvfb_start() {
  local work=$1 display=${KELMOR_XVFB_DISPLAY:-} n
  display=${display#:}
  if [ -z "$display" ]; then
    # A free display number: no lock file and no socket.
    for n in $(seq 90 199); do
      if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
    done
  elif [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; then
    echo "X display :$display is in use" >&2; return 1
  fi
  [ -n "$display" ] || { echo "no free X display number" >&2; return 1; }
  Xvfb ":$display" -screen 0 "${KELMOR_XVFB_SCREEN:-1024x768}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
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
