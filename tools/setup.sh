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

# The 32-bit layer: the 32-bit Wine, of wine64's own version (their shared files must match).
need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: root is needed to $*" >&2
    exit 1
  fi
}
wine_version=$(dpkg-query -W -f='${Version}' wine64)
if [ "$(dpkg-query -W -f='${Status} ${Version}' wine32:i386 2>/dev/null)" != "install ok installed $wine_version" ]; then
  need_root "install the 32-bit Wine (wine32:i386 $wine_version)"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "wine32:i386=$wine_version"
fi
# A kernel that does not run i386 programs needs qemu-user 10 or later (tools/with-i386.sh):
# Debian 12 has it in its backports suite only (its own 7.2 is far too slow for Wine).
if ! KELMOR_I386= bash "$(dirname "$0")/with-i386.sh" --check >/dev/null 2>&1; then
  need_root "install qemu-user from Debian's backports suite (this machine does not run i386 programs)"
  export DEBIAN_FRONTEND=noninteractive
  backports=/etc/apt/sources.list.d/kelmor-backports.sources
  if [ ! -f "$backports" ]; then
    printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' >"$backports"
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user
fi
bash "$(dirname "$0")/with-i386.sh" --check || exit 1
echo "setup: all build and test packages present"
