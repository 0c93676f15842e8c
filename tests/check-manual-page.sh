#!/usr/bin/env bash
# Checks the manual page: mandoc has nothing to warn of, and the messages
# the page shows are those the program prints, on a full disk, for a locale
# that cannot be loaded (in an ssh session too) and, where /etc can be
# replaced, for the system's locale files, a login pam_env refuses (on an
# auth line alone too), a system without libpam, what services get where
# systemd runs, and the login profile.
#   check-manual-page.sh PAGE PROGRAM
set -uo pipefail
source "$(dirname "$0")/expect.sh"
page=$1
program=$2
command -v mandoc >/dev/null || skip "mandoc (Debian: mandoc) is not installed"

expect_eq "mandoc -T lint -W warning" "" "$(mandoc -T lint -W warning "$page" 2>&1)"
# The page as a reader sees it, less the overstrikes that make bold.
shown=$(mandoc -T ascii "$page" | sed 's/.\x08//g' | sed -n 's/^ *\(locale-report: .*\)$/\1/p')
printed=$(env -i LC_ALL=C "$program" </dev/null 2>&1 >/dev/full
  env -i LANG=C LC_TIME=en_XX.UTF-8 "$program" </dev/null 2>&1 >/dev/null
  env -i LANG=C LC_CTYPE=UTF-8 SSH_CONNECTION="192.0.2.1 50000 192.0.2.2 22" "$program" </dev/null 2>&1 >/dev/null
  fifo=$(mktemp -d) && mkdir "$fifo/de_DE.UTF-8" && mkfifo "$fifo/de_DE.UTF-8/LC_CTYPE" &&
    env -i LOCPATH="$fifo" LC_ALL=de_DE.UTF-8 "$program" </dev/null 2>&1 >/dev/null
  rm -rf "$fifo")
# Those of the system's files, from files of our own in place of /etc.
if [ "$(id -u)" -eq 0 ] && unshare --mount true 2>/dev/null; then
  etc=$(mktemp -d)
  others=$(mktemp -d)
  trap 'rm -rf "$etc" "$others"' EXIT
  copy_etc "$etc"
  in_etc() {  # command...: its standard error
    timeout 10 unshare --mount sh -c 'mount --bind "$0" /etc && exec "$@"' "$etc" "$@" 2>&1 >/dev/null </dev/null
  }
  # As in_etc, with systemd running, in a /run of its own.
  mkdir -p "$others/run/systemd/system"
  in_etc_managed() {  # command...: its standard error
    timeout 10 unshare --mount sh -c 'mount --bind "$0" /etc && mount --bind "$1" /run && shift && exec "$@"' \
      "$etc" "$others/run" "$@" 2>&1 >/dev/null </dev/null
  }
  printf 'LANG=xx_YY.UTF-8\n' >"$etc/default/locale"
  printed+=$'\n'$(in_etc env -i "$program")
  chmod 600 "$etc/default/locale"
  if nobody_program=$(for_others "$program" "$others"); then
    printed+=$'\n'$(in_etc setpriv --reuid=65534 --regid=65534 --clear-groups env -i "$nobody_program")
  else
    echo "the message of a file the user cannot read: not compared, $nobody_program"
    shown=$(grep -v 'cannot be read' <<<"$shown")
  fi
  printf 'LANG DEFAULT=${LC_TIME\n' >"$etc/security/pam_env.conf"
  printed+=$'\n'$(in_etc env -i "$program")
  cp "$etc/pam.d/login" "$etc/pam.d/login.saved"
  printf 'auth include system-auth\n' >"$etc/pam.d/login"
  printf 'auth required pam_env.so\nauth required pam_permit.so\n' >"$etc/pam.d/system-auth"
  printed+=$'\n'$(in_etc env -i "$program")
  mv "$etc/pam.d/login.saved" "$etc/pam.d/login" && rm "$etc/pam.d/system-auth"
  printf 'session required pam_env.so\n' >"$etc/pam.d/sshd"
  printed+=$'\n'$(in_etc env -i SSH_CONNECTION="192.0.2.1 50000 192.0.2.2 22" "$program")
  rm "$etc/pam.d/sshd"
  printf '# nothing\n' >"$etc/security/pam_env.conf"
  rm "$etc/default/locale" && mkfifo "$etc/default/locale"
  printed+=$'\n'$(in_etc env -i "$program")
  printf '# nothing\n' >"$etc/default/locale.new" && mv "$etc/default/locale.new" "$etc/default/locale"
  cp "$etc/pam.d/login" "$etc/pam.d/login.saved"
  printf 'session include common-session\n' | tee -a "$etc/pam.d/login" >"$etc/pam.d/common-session"
  printed+=$'\n'$(in_etc env -i "$program")
  mv "$etc/pam.d/login.saved" "$etc/pam.d/login" && rm "$etc/pam.d/common-session"
  libpam=$(loaded_by "$program" libpam.so.0)
  : >"$others/empty"
  printed+=$'\n'$(timeout 10 unshare --mount sh -c 'mount --bind "$0" /etc && mount --bind "$1" "$2" &&
    shift 2 && exec "$@"' "$etc" "$others/empty" "${libpam:-/nonexistent}" env -i "$program" 2>&1 >/dev/null </dev/null)
  printf 'LANG=C\n' >"$etc/locale.conf"
  printf 'LANG=C\nLANGUAGE=fr\n' >"$etc/default/locale"
  printed+=$'\n'$(in_etc_managed env -i "$program")
  printf '# nothing\n' >"$etc/default/locale"
  printf 'LANG=fr_FR.UTF-8\n' >"$etc/locale.conf"
  printed+=$'\n'$(in_etc_managed env -i "$program")
  printf 'LANG=C.UTF-8\nLC_ALL=C\n' >"$etc/locale.conf"
  rm "$etc/default/locale" && ln -s ../locale.conf "$etc/default/locale"
  printed+=$'\n'$(in_etc_managed env -i "$program")
  # Where no file sets services a locale, the installed systemd's rules
  # count, which only it has.
  if [ -n "$(systemd_library "$program")" ]; then
    rm "$etc/locale.conf" "$etc/default/locale"
    cp "$etc/pam.d/login" "$etc/pam.d/login.saved" && cp "$etc/environment" "$etc/environment.saved"
    printf 'session required pam_env.so\n' >"$etc/pam.d/login" && printf 'LANG=C\n' >"$etc/environment"
    printed+=$'\n'$(in_etc_managed env -i "$program")
    mv "$etc/pam.d/login.saved" "$etc/pam.d/login" && mv "$etc/environment.saved" "$etc/environment"
    printf '# nothing\n' >"$etc/default/locale"
    printed+=$'\n'$(in_etc_managed env -i "$program")
  else
    echo "the messages of systemd's own locale: not compared, the program finds no systemd library here"
    shown=$(grep -v 'through systemd), and login sessions' <<<"$shown")
  fi
  rm -f "$etc/locale.conf" && rm -f "$etc/default/locale" && printf '# nothing\n' >"$etc/default/locale"
  printf 'exit 3\n' >"$etc/profile.d/lang.sh"
  chmod 666 "$etc/profile.d/lang.sh"
  printed+=$'\n'$(in_etc env -i "$program")
  chmod 644 "$etc/profile.d/lang.sh"
  printed+=$'\n'$(in_etc env -i "$program")
  rm "$etc/profile.d/lang.sh"
  cp "$etc/profile" "$etc/profile.saved"
  printf 'export LC_ALL=C.UTF-8\n' >>"$etc/profile"
  printed+=$'\n'$(in_etc env -i "$program")
  mv "$etc/profile.saved" "$etc/profile" && cp "$etc/profile" "$etc/profile.saved"
  head -c 70000 /dev/zero | tr '\0' '#' >>"$etc/profile"
  printed+=$'\n'$(in_etc env -i "$program")
  mv "$etc/profile.saved" "$etc/profile"
  for i in $(seq 39); do printf 'LANG=C\n' >"$etc/profile.d/$i.sh"; done
  printed+=$'\n'$(in_etc env -i "$program" | tail -n 1)
else
  shown=$(grep -v -e ': /etc/' -e ': libpam' <<<"$shown")
fi
expect_eq "the messages the page shows" "$printed" "$shown"
finish
