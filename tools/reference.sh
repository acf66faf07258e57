#!/usr/bin/env bash
# tools/reference.sh [BUILD_DIR]
# Rewrites the member tables of docs/reference.md from the built type library (the blocks
# between "<!-- tables:NAME -->" and "<!-- /tables:NAME -->"; the prose around them stays).
# A class or enumeration new to the type library gets a section of its own at the end of the
# file, with its tables only: write its prose by hand. The test win.reference_tables fails
# until the tables match the type library and every member has a help string.
#
# BUILD_DIR defaults to build/win64 (configured and built here when the tool is missing).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(realpath -m "${1:-$root/build/win64}")

if [ "$build" = "$root/build/win64" ] && [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset win64 --log-level=WARNING) || exit 1
fi
cmake --build "$build" --target reference_tables || exit 1
. "$here/wine-env.sh" "$build/wine"
bash "$here/wine-run.sh" "$build/wine" "$build/bin/reference_tables.exe" --write "$(wine_path "$root/docs/reference.md")"
