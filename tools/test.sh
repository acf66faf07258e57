#!/usr/bin/env bash
# tools/test.sh — installs what is missing, configures and builds all three presets and runs
# every test layer. Exits non-zero when anything fails. No check in it compares a time: the
# benchmark programs run as short correctness checks here, and in full only in tools/bench.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
unset KELMOR_BENCH

bash tools/setup.sh || exit 1

failed=()
started=$(date +%s)
# Runs one step; its name, and when it ends the seconds it took, go to the log.
step() {
  local name=$1 began
  shift
  began=$(date +%s)
  echo "=== $name"
  if ! "$@"; then failed+=("$name"); echo "=== FAILED: $name"; fi
  echo "=== $name: $(($(date +%s) - began)) s (at $(($(date +%s) - started)) s)"
}

for preset in native win64 win32; do
  step "configure $preset" cmake --preset "$preset" --log-level=WARNING
  step "build $preset" cmake --build --preset "$preset"
done

# The shipped binaries hold nothing of the forms that only tests use.
shipped_clean() {
  local preset nm bin found=0
  for preset in win64 win32; do
    nm=x86_64-w64-mingw32-nm
    [ "$preset" = win32 ] && nm=i686-w64-mingw32-nm
    for bin in build/$preset/bin/Kelmor0200.dll build/$preset/bin/Tessel.exe; do
      if [ ! -f "$bin" ]; then
        echo "$bin is missing"
        found=1
        continue
      fi
      if LC_ALL=C "$nm" -C "$bin" | grep -E 'kelmor::(FormWindow|CommandButtonControl)\b'; then
        echo "$bin holds test forms"
        found=1
      fi
    done
  done
  return $found
}
step "shipped binaries without test code" shipped_clean

step "native tests" ctest --preset native
step "windows and script tests (wine64)" ctest --preset win64
# The 32-bit layer: the win32 build's tests in a 32-bit prefix (with-i386.sh fails, and says
# why, where i386 programs cannot run).
step "32-bit windows and script tests (32-bit wine)" bash tools/with-i386.sh ctest --preset win32
# The release (dist/) from the trees built above, made in the Russian locale of the program's
# users and developers (so no script may read a tool's translated output); each installer in a
# fresh prefix of its kind, the x64 one used by 64- and 32-bit clients.
step "release (in the Russian locale) and install tests (x64 in wine64, x86 in 32-bit wine)" \
  bash tools/with-i386.sh bash -c 'env -u LC_ALL LANG=ru_RU.UTF-8 bash tools/release.sh &&
    bash tests/install/install_test.sh --arch x64 build/win64 dist &&
    bash tests/install/install_test.sh --arch x86 build/win32 dist'

# The prefixes' Wine processes end with the run.
bash tools/wine-prefix.sh build/win64/wine --shutdown
bash tools/wine-prefix.sh build/win32/wine --shutdown

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "all test layers passed"
