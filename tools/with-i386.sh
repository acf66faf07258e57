#!/usr/bin/env bash
# tools/with-i386.sh COMMAND [ARGS...]    |    tools/with-i386.sh --check
#
# Runs COMMAND where 32-bit (i386) Linux programs run, which the 32-bit Wine is: the 32-bit test
# layer (ctest --preset win32) and the installers' 32-bit halves need it. --check only says
# which way this machine takes.
#
#   native   the kernel runs i386 programs: COMMAND runs as it is.
#   qemu     it does not: COMMAND runs in a user and mount namespace of its own, whose private
#            binfmt_misc hands i386 programs to qemu-i386 (qemu-user 10 or later; tools/setup.sh
#            installs it from Debian's backports suite on such a machine). The host's own
#            registrations are not touched. About four times slower. Debian 12's qemu 7.2 is
#            refused: a Wine prefix takes it minutes and then fails.
#
# With neither, it fails and says why: the 32-bit layer is never skipped in silence.
# KELMOR_I386=native or qemu forces one way (to try the fallback on a machine that has both).
set -u
loader=/usr/lib/wine/wine

die() { echo "with-i386: $*" >&2; exit 1; }

runs_natively() {
  # An i386 program that starts prints its version; "Exec format error" (126) otherwise.
  timeout 30 "$loader" --version >/dev/null 2>&1 </dev/null
}

# The newest qemu-i386 of major version 10 or later, or nothing.
find_qemu() {
  local q version
  for q in /usr/bin/qemu-i386-static /usr/bin/qemu-i386 /usr/libexec/qemu-binfmt/i386-binfmt-P; do
    [ -x "$q" ] || continue
    version=$(LC_ALL=C "$q" --version 2>/dev/null | sed -n 's/.*version \([0-9]\+\)\..*/\1/p' | head -n 1)
    if [ -n "$version" ] && [ "$version" -ge 10 ]; then
      echo "$q"
      return 0
    fi
  done
  return 1
}

[ -x "$loader" ] || die "the 32-bit Wine ($loader) is not installed: run tools/setup.sh as root"

mode=${KELMOR_I386:-}
if [ -z "$mode" ]; then
  if runs_natively; then mode=native; else mode=qemu; fi
fi
qemu=
if [ "$mode" = qemu ]; then
  qemu=$(find_qemu) || die "this machine does not run i386 programs (\"Exec format error\") and has no" \
    "qemu-user 10 or later to run them: run tools/setup.sh as root, which installs it from Debian's" \
    "backports suite. The 32-bit test layer cannot run without one of the two."
  unshare --user --map-root-user --mount true 2>/dev/null ||
    die "i386 programs need qemu here, but user namespaces are not available for its private binfmt_misc"
elif [ "$mode" != native ]; then
  die "KELMOR_I386 must be native or qemu, not '$mode'"
fi

if [ "${1:-}" = "--check" ]; then
  if [ "$mode" = native ]; then
    echo "with-i386: i386 programs run natively"
  else
    echo "with-i386: i386 programs run through $qemu in a private binfmt_misc"
  fi
  exit 0
fi
[ $# -gt 0 ] || die "usage: with-i386.sh COMMAND [ARGS...] | --check"

if [ "$mode" = native ]; then
  exec "$@"
fi

# The ELF header of an i386 executable or shared object, as qemu's own binfmt set-up gives it.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# F: the interpreter is opened now, so it serves every later mount namespace of the command.
exec unshare --user --map-root-user --mount bash -c '
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 1
  printf "%s" ":kelmor-i386:M::$1:$2:$3:F" >/proc/sys/fs/binfmt_misc/register || exit 1
  shift 3
  timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null ||
    { echo "with-i386: $0 registered, but the 32-bit Wine still does not start" >&2; exit 1; }
  exec "$@"' "$qemu" "$magic" "$mask" "$qemu" "$@"
