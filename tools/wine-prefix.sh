#!/usr/bin/env bash
# wine-prefix.sh WINEDIR [--shutdown]
# Creates the build's private Wine prefix once, with the test settings; --shutdown ends the
# prefix's Wine processes (scoped to this prefix only). A 32-bit prefix when WINEDIR/arch says
# win32 (see wine-env.sh).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"

if [ "${2:-}" = "--shutdown" ]; then
  [ -d "$WINEPREFIX" ] && timeout 30 "$WINESERVER" -k >/dev/null 2>&1
  exit 0
fi

mkdir -p "$KELMOR_WINE_DIR"
exec 9>"$KELMOR_WINE_DIR/prefix.lock"
flock 9
[ -f "$WINEPREFIX/.kelmor-ready" ] && exit 0

rm -rf "$WINEPREFIX"
log="$KELMOR_WINE_DIR/prefix-setup.log"
: >"$log"
run() { timeout --kill-after=10 "$@" >>"$log" 2>&1 </dev/null; }
run 180 "${WINE[@]}" wineboot -i || { echo "wineboot failed, see $log" >&2; exit 1; }
run 60 "$WINESERVER" -w

# Settings in one registry import: a crash exits at once (code 5) instead of waiting on a
# dialog, the null display driver needs no X server, and with an X server no window waits for
# a window manager.
cat >"$KELMOR_WINE_DIR/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
run 60 "${WINE[@]}" regedit /S "$(wine_path "$KELMOR_WINE_DIR/settings.reg")" || { echo "regedit failed, see $log" >&2; exit 1; }
run 60 "$WINESERVER" -w

# Wine's own Tahoma (the UI font of the dialogs) instead of a substitute.
if ls /usr/share/wine/fonts/tahoma*.ttf >/dev/null 2>&1; then
  cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
touch "$WINEPREFIX/.kelmor-ready"
