# shellcheck shell=bash
# Checks shared by the end-to-end scripts, which source this file. Each script
# ends with `finish`, which prints the tally and gives the exit status.
passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  printf 'FAIL: %s\n' "$1"
  [ $# -gt 1 ] && printf '%s\n' "$2"
}
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass; else fail "$1" "$(diff <(printf '%s\n' "$2") <(printf '%s\n' "$3"))"; fi
}
# Exit status 77 tells ctest the test was skipped.
skip() {
  echo "skipped: $*"
  exit 77
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# A copy of this machine's /etc in DIR, to bind over /etc in a private mount
# namespace: its login PAM stack and profile as they are, and no locale
# settings of its own (pam_env.conf, which pam_env needs to read anything,
# holds nothing; no login locale script). A second call on the same DIR only
# puts those files back.
copy_etc() {  # dir
  [ -f "$1/pam.d/login" ] || { rm -rf "$1" && cp -a /etc "$1" && chmod 755 "$1"; } || return 1
  mkdir -p "$1/default" "$1/security" "$1/pam.d" "$1/profile.d"
  local file
  for file in pam.d/login pam.d/other profile; do
    rm -f "$1/$file" && { [ ! -e "/etc/$file" ] || cp -a "/etc/$file" "$1/$file"; }
  done
  printf '# nothing\n' >"$1/security/pam_env.conf"
  : >"$1/environment"
  rm -rf "$1/default/locale" "$1/locale.conf" "$1/profile.d/lang.sh" "$1/profile.d/locale.sh" \
    "$1/profile.d/01-locale-fix.sh" "${1:?}/home"
  # Debian's own, before a locale is chosen: a comment.
  printf '# nothing\n' >"$1/default/locale"
}

# The program as another user can run it, printed: the program itself where
# that user can reach it, else a copy in DIR, which anyone may enter (a
# checkout in a home of mode 0700 is out of others' reach). Fails, printing
# why, where no copy serves: under emulation the program is a script that
# names other files of the build.
for_others() {  # program, dir
  if setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$1" 2>/dev/null; then
    echo "$1"
  elif [ -n "${LOCALE_REPORT_EMULATOR:-}" ]; then
    echo "others cannot reach the emulated program in this checkout"
    return 1
  else
    mkdir -p "$2" && chmod 755 "$2" && cp "$1" "$2/" && echo "$2/${1##*/}"
  fi
}

# The installed systemd's shared library, where the program looks for it:
# beside the C library it loads, or in /usr/lib/systemd; nothing where it
# finds none (an emulated program's C library has none beside it).
systemd_library() {  # program
  local libc
  # The last C library started: a script that runs the program (under an
  # emulator) starts its own first.
  libc=$(env -i LD_DEBUG=libs "$1" </dev/null 2>&1 >/dev/null |
    sed -n 's|^.*calling init: \(/.*\)/libc\.so\.6$|\1/libc.so.6|p' | tail -n 1)
  compgen -G "${libc%/*}/systemd/libsystemd-shared-*.so" || compgen -G '/usr/lib/systemd/libsystemd-shared-*.so'
}

# The file the program loads for libpam.so.0 (or pam_env.so), as the
# dynamic loader finds it; nothing where the program loads none here.
loaded_by() {  # program, file name
  env -i LD_DEBUG=libs "$1" </dev/null 2>&1 >/dev/null |
    sed -n "s|^.*calling init: \\(/.*/$2\\)\$|\\1|p" | head -n 1
}
