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
# Always the 64-bit loader. LC_ALL is given to Wine alone (a caller's LC_ALL would override
# LANG; set in this shell it would make bash complain about a locale glibc does not have).
WINE64=(env "LC_ALL=$LANG" /usr/lib/wine/wine64)
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

# Host path to the Wine path of the same file (Z: maps the host root).
wine_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
