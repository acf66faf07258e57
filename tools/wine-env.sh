# Sourced by the Wine scripts: the environment every Wine command of the project runs in.
# $1 is the build's wine folder (build/<preset>/wine).
KELMOR_WINE_DIR=$(realpath -m "$1")
export WINEPREFIX="$KELMOR_WINE_DIR/prefix"
export WINEDEBUG=-all
# Tests run with the code page of the program's users (ANSI 1251, OEM 866).
export LANG="${KELMOR_WINE_LANG:-ru_RU.UTF-8}"
# No Mono or Gecko installer prompts: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=
# The prefix's kind: a file "arch" in the wine folder holding "win32" makes it a 32-bit prefix
# run by the 32-bit loader (tools/with-i386.sh makes sure i386 code runs); otherwise it is a
# 64-bit one run by the 64-bit loader. $WINE is the prefix's loader, $WINE64 always the 64-bit
# one. LC_ALL is given to Wine alone (a caller's LC_ALL would override LANG; set in this shell it
# would make bash complain about a locale glibc does not have).
KELMOR_WINE_ARCH=win64
if [ "$(cat "$KELMOR_WINE_DIR/arch" 2>/dev/null)" = win32 ]; then
  KELMOR_WINE_ARCH=win32
  export WINEARCH=win32
  WINE=(env "LC_ALL=$LANG" /usr/lib/wine/wine)
else
  unset WINEARCH
  WINE=(env "LC_ALL=$LANG" /usr/lib/wine/wine64)
fi
WINE64=(env "LC_ALL=$LANG" /usr/lib/wine/wine64)
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

# Host path to the Wine path of the same file (Z: maps the host root).
wine_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
