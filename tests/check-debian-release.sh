#!/usr/bin/env bash
# The release check: the x86_64 download's program on another Debian
# release, in a chroot of it made with debootstrap (kept in ROOT for later
# runs): bullseye (Debian 11: glibc 2.31, Linux-PAM 1.4.0, shadow's login)
# or trixie (Debian 13: Linux-PAM 1.7.0, util-linux's login, systemd 257,
# /etc/default/locale a link to /etc/locale.conf). Its user lines for a
# handful of locales must be the ones it shows on this machine, and the
# end-to-end groups that hold it to the C library, to pam_env and su, and to
# libpam's own login (PAM_LOGIN) run inside the chroot, against the
# release's own. On trixie, a real login -f in a pty besides.
#   check-debian-release.sh SUITE PROGRAM PAM_LOGIN ROOT
# 77 (skipped) without root or debootstrap.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
suite=$1
program=$2
pam_login=$3
root=$4
source_dir=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || skip "needs root, for debootstrap and chroot"
command -v debootstrap >/dev/null || skip "debootstrap (Debian: debootstrap) is not installed"
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
# What each release's tests need beyond minbase: its locales, and pgrep;
# on trixie its login, and systemd, whose rules the services note reads.
packages=locales,locales-all,procps
markers=("$root/usr/bin/pgrep")
[ "$suite" = bullseye ] || { packages+=,login,systemd; markers+=("$root/usr/lib/systemd/systemd"); }

if ! ls "${markers[@]}" >/dev/null 2>&1; then
  rm -rf "$root"
  debootstrap --variant=minbase --include="$packages" "$suite" "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; echo "debootstrap $suite from $mirror failed"; exit 1; }
fi
# The program, the tests and their data, in a place of their own.
rm -rf "$root/opt/locale-report" && mkdir -p "$root/opt/locale-report/locales"
cp "$program" "$pam_login" "$root/opt/locale-report/" &&
  cp -r "$source_dir/tests" "$source_dir/data" "$root/opt/locale-report/"
inside() {  # command...: run in the chroot, with /proc and /dev (its ptys
  # too); its root a mount point, as the tests' own private mounts need
  timeout 300 unshare --mount sh -c 'mount --bind "$0" "$0" && mount --bind /proc "$0/proc" &&
    mount --rbind /dev "$0/dev" && exec chroot "$0" "$@"' "$root" "$@"
}

# The user lines: what varies with the C library's locales and codesets.
for locale in C de_DE.UTF-8 ja_JP.EUC-JP sr_RS@latin fr_FR.ISO-8859-1; do
  user_lines() { sed -n '2p;4p;6,8p'; }
  expect_eq "LC_ALL=$locale: the user lines on $suite and here" \
    "$(env -i LC_ALL=$locale "$program" </dev/null 2>&1 | user_lines)" \
    "$(inside env -i LC_ALL=$locale /opt/locale-report/locale-report </dev/null 2>&1 | user_lines)"
done
# Where the program meets the release's C library, pam_env, su and libpam.
for group in streams locales hostile system aliases alias_file; do
  echo "== $group"
  inside /opt/locale-report/tests/e2e_test.sh "$group" /opt/locale-report/locale-report \
    /opt/locale-report/locales "/opt/locale-report/$(basename "$pam_login")" >"$root.$group.log" 2>&1
  status=$?
  grep -E '^(FAIL|skipped|[0-9]+ passed)' "$root.$group.log" | tail -n 20
  [ "$status" -eq 0 ] && pass || fail "the $group group on $suite" "$(tail -n 40 "$root.$group.log")"
done

# Debian 13's own login, util-linux's, which sets the credentials before
# and after it opens the session, as root with -f in a pty of script(1):
# the session it opens has the locale the system lines show. Its input
# waits a second, since login drops what was typed ahead.
if [ "$suite" = trixie ]; then
  conf=$root/etc/locale.conf
  cp "$conf" "$root.locale.conf"
  printf 'LANG=pt_BR.UTF-8\n' >"$conf"
  printf '%s\n' "(sleep 1; echo 'echo \"=\$LANG=\"; exit') | script -qec 'login -f root' /dev/null" \
    >"$root/opt/locale-report/login.sh"
  expect_eq "login -f on $suite: the locale of its session" pt_BR.UTF-8 \
    "$(inside sh /opt/locale-report/login.sh 2>&1 | tr -d '\r' | sed -n 's/^.*=\([^=]*\)=$/\1/p')"
  expect_eq "login -f on $suite: the system line" "GetSystemDefaultLCID: 0x00000416 (1046)" \
    "$(inside env -i /opt/locale-report/locale-report </dev/null 2>/dev/null | head -n 1)"
  mv "$root.locale.conf" "$conf"
fi
finish
