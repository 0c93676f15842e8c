#!/usr/bin/env bash
# The release check: the x86_64 download's program on Debian 11 (glibc 2.31,
# Linux-PAM 1.4.0), in a chroot of Debian 11 made with debootstrap (kept in
# ROOT for later runs). Its user lines for a handful of locales must be the
# ones it shows on this machine, and the end-to-end groups that hold it to
# the C library and to pam_env and su run inside the chroot, against
# Debian 11's own.
#   check-debian11.sh PROGRAM ROOT
# 77 (skipped) without root or debootstrap.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
program=$1
root=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || skip "needs root, for debootstrap and chroot"
command -v debootstrap >/dev/null || skip "debootstrap (Debian: debootstrap) is not installed"
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ ! -f "$root/usr/share/locale/locale.alias" ]; then
  rm -rf "$root"
  debootstrap --variant=minbase --include=locales,locales-all bullseye "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; echo "debootstrap bullseye from $mirror failed"; exit 1; }
fi
# The program, the tests and their data, in a place of their own.
rm -rf "$root/opt/locale-report" && mkdir -p "$root/opt/locale-report/locales"
cp "$program" "$root/opt/locale-report/" && cp -r "$source_dir/tests" "$source_dir/data" "$root/opt/locale-report/"
inside() {  # command...: run in the chroot, with /proc and /dev; its root a
  # mount point, as the tests' own private mounts need
  timeout 300 unshare --mount sh -c 'mount --bind "$0" "$0" && mount --bind /proc "$0/proc" &&
    mount --bind /dev "$0/dev" && exec chroot "$0" "$@"' "$root" "$@"
}

# The user lines: what varies with the C library's locales and codesets.
for locale in C de_DE.UTF-8 ja_JP.EUC-JP sr_RS@latin fr_FR.ISO-8859-1; do
  user_lines() { sed -n '2p;4p;6,8p'; }
  expect_eq "LC_ALL=$locale: the user lines on Debian 11 and here" \
    "$(env -i LC_ALL=$locale "$program" </dev/null 2>&1 | user_lines)" \
    "$(inside env -i LC_ALL=$locale /opt/locale-report/locale-report </dev/null 2>&1 | user_lines)"
done
# Where the program meets Debian 11's C library, pam_env and su.
for group in streams locales hostile system aliases alias_file; do
  echo "== $group"
  inside /opt/locale-report/tests/e2e_test.sh "$group" /opt/locale-report/locale-report \
    /opt/locale-report/locales >"$root.$group.log" 2>&1
  status=$?
  grep -E '^(FAIL|skipped|[0-9]+ passed)' "$root.$group.log" | tail -n 20
  [ "$status" -eq 0 ] && pass || fail "the $group group on Debian 11" "$(tail -n 40 "$root.$group.log")"
done
finish
