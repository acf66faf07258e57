#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine.
# Idempotent: packages already present are not fetched again. Needs root.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 libwine-dev fonts-wine
  xvfb imagemagick x11-apps
  clang libclang-rt-14-dev
  googletest libbenchmark-dev libstb-dev
  python3 locales ccache
  nsis zip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: root is needed to install: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Wine takes its code pages and the encoding of Unix file names from the locale: the tests run
# with the Russian one (ANSI 1251), which glibc must have for non-ASCII file names to work.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: root is needed to generate the ru_RU.UTF-8 locale" >&2
    exit 1
  fi
  sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
echo "setup: all build and test packages present"
