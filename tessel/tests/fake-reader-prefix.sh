#!/usr/bin/env bash
# fake-reader-prefix.sh WINEDIR FAKEDIR KELMOR_DLL FAKE_READER_DLL
# Makes FAKEDIR/prefix, a copy of the build's test prefix in which the test reader
# (tessel_fake_reader.dll) is registered under the library's stream-reader class id, for the
# stream lister's GUI cases that need records of their own choice. The library is registered
# first, then the test reader takes over that one class id; the build's own prefix keeps the
# real reader. The copy's processes end with: tools/wine-prefix.sh FAKEDIR --shutdown
set -u
here=$(cd "$(dirname "$0")" && pwd)
tools=$(cd "$here/../../tools" && pwd)
wine_dir=$(realpath -m "$1") fake_dir=$(realpath -m "$2") kelmor=$3 reader=$4

bash "$tools/wine-prefix.sh" "$wine_dir" || exit 1
bash "$tools/wine-prefix.sh" "$fake_dir" --shutdown
rm -rf "$fake_dir/prefix"
mkdir -p "$fake_dir"
cp -a "$wine_dir/prefix" "$fake_dir/prefix" || exit 1
rm -f "$fake_dir"/prefix.lock
bash "$tools/wine-register.sh" "$fake_dir" "$kelmor" "$reader"
