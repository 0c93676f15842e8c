#!/usr/bin/env bash
# End-to-end runs of the built program: e2e_test.sh GROUP PROGRAM [LOCPATH]
# Each group is its own ctest test; 77 means skipped, with the reason printed.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
group=$1
program=$2
locpath=${3:-}
data_dir=$(cd "$(dirname "$0")/data" && pwd)
windows_tsv=$(cd "$(dirname "$0")/.." && pwd)/data/windows-locales.tsv
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
exec </dev/null  # no run may wait on a terminal

# The groups that set locales need them loadable through LOCPATH, from the
# build tree or the system (tests/build-locales.sh).
require_locales() {
  [ "$(LOCPATH=$locpath LC_ALL=de_DE.UTF-8 locale charmap 2>&1)" == UTF-8 ] ||
    skip "de_DE.UTF-8 cannot be loaded with LOCPATH=$locpath (see the build_locales test)"
}

# The nine lines for the given identifiers (decimal) and code page.
report() {  # system-lcid user-lcid system-ui user-ui code-page
  printf 'GetSystemDefaultLCID: 0x%08X (%d)\n' "$1" "$1"
  printf 'GetUserDefaultLCID: 0x%08X (%d)\n' "$2" "$2"
  printf 'GetSystemDefaultLangID: 0x%04X (%d)\n' "$1" "$1"
  printf 'GetUserDefaultLangID: 0x%04X (%d)\n' "$2" "$2"
  printf 'GetSystemDefaultUILanguage: 0x%04X (%d)\n' "$3" "$3"
  printf 'GetUserDefaultUILanguage: 0x%04X (%d)\n' "$4" "$4"
  printf 'GetACP: %u\nGetOEMCP: %u\nHit [Enter] key\n' "$5" "$5"
}

# Bytes 1 to 255, each once.
every_byte() { printf "$(printf '\\%03o' $(seq 1 255))"; }

# Runs the program in a clean environment with the given variables; sets
# out, err and status. Standard input is the caller's.
run() {
  env -i ${locpath:+LOCPATH=$locpath} "$@" "$program" >"$scratch/out" 2>"$scratch/err"
  status=$?
  out=$(cat "$scratch/out")
  err=$(cat "$scratch/err")
}

# The system lines of this machine, whatever its locale file says: the user
# lines are what these tests look at outside the 'system' group.
user_lines() { sed -n '2p;4p;6,9p' "$scratch/out"; }
expect_user() {  # what, user-lcid, user-ui, code-page
  expect_eq "$1" "$(report 0 "$2" 0 "$3" "$4" | sed -n '2p;4p;6,9p')" "$(user_lines)"
  expect_eq "$1: status" 0 "$status"
  expect_eq "$1: standard error" "" "$err"
}

group_streams() {
  local c_utf8
  c_utf8=$(report 127 127 127 127 65001 | sed -n '2p;4p;6,9p')
  run LC_ALL=C.UTF-8 </dev/null
  expect_user "standard input empty" 127 127 65001
  [ "$(wc -l <"$scratch/out")" -eq 9 ] && pass || fail "nine lines, each ending in a newline"

  run LC_ALL=C.UTF-8 <&-
  expect_user "standard input closed" 127 127 65001
  printf 'typed\n' | run LC_ALL=C.UTF-8
  expect_user "standard input piped" 127 127 65001
  (sleep 0.3; echo) | run LC_ALL=C.UTF-8
  expect_user "standard input piped late" 127 127 65001

  # Whatever the arguments, nothing changes.
  run LC_ALL=C.UTF-8 </dev/null
  local plain=$out
  for args in "--help" "-h" "/?" "--version" "" "-" "--" "a b" "$(printf 'x%.0s' {1..5000})" "-x --y=z ../.. %s%n"; do
    env -i LC_ALL=C.UTF-8 "$program" $args "$args" >"$scratch/out" 2>"$scratch/err" </dev/null
    status=$?
    expect_eq "arguments '${args:0:20}'" "$plain" "$(cat "$scratch/out")"
    expect_eq "arguments '${args:0:20}': status" 0 "$status"
    expect_eq "arguments '${args:0:20}': standard error" "" "$(cat "$scratch/err")"
  done

  # A report that cannot be written is a failure, said so once.
  env -i LC_ALL=C.UTF-8 "$program" </dev/null >/dev/full 2>"$scratch/err"
  expect_eq "/dev/full: status" 1 "$?"
  expect_eq "/dev/full: message" "locale-report: write error: No space left on device" "$(cat "$scratch/err")"
  env -i LC_ALL=C.UTF-8 "$program" </dev/null >&- 2>"$scratch/err"
  expect_eq "closed standard output: status" 1 "$?"
  expect_eq "closed standard output: message" "locale-report: write error: Bad file descriptor" \
    "$(cat "$scratch/err")"
  env -i LC_ALL=C.UTF-8 "$program" </dev/null >/dev/full 2>&-
  expect_eq "/dev/full, standard error closed: status" 1 "$?"
  [ -n "$c_utf8" ] && pass
}

group_locales() {
  require_locales
  run LC_ALL=de_DE.UTF-8
  expect_user "LC_ALL=de_DE.UTF-8" 1031 1031 65001
  run LANG=ja_JP.EUC-JP
  expect_user "LANG=ja_JP.EUC-JP" 1041 1041 51932
  run LC_ALL=sr_RS@latin
  expect_user "LC_ALL=sr_RS@latin" 9242 9242 65001
  run LC_ALL=ru_RU.KOI8-R
  expect_user "LC_ALL=ru_RU.KOI8-R" 1049 1049 20866
  run LC_ALL=es_ES@euro
  expect_user "LC_ALL=es_ES@euro" 3082 3082 28605
  run LC_ALL=hy_AM.ARMSCII-8
  expect_user "a codeset Windows has no number for" 1067 1067 0
  # Each value from its own category.
  run LANG=ja_JP.UTF-8 LC_TIME=de_DE.UTF-8 LC_MESSAGES=fr_FR.UTF-8 LC_CTYPE=ru_RU.KOI8-R
  expect_user "categories set one by one" 1031 1036 20866
  run LC_TIME=de_DE.UTF-8 LC_ALL=fr_FR.UTF-8
  expect_user "LC_ALL over LC_TIME" 1036 1036 65001
  # LANGUAGE names the interface language, unless messages are in "C".
  run LC_ALL=de_DE.UTF-8 LANGUAGE=pt_BR:de
  expect_user "LANGUAGE's first entry" 1031 1046 65001
  run LC_ALL=de_DE.UTF-8 LANGUAGE=:sr@latin
  expect_user "LANGUAGE's empty entries skipped" 1031 28698 65001
  run LC_ALL=C LANGUAGE=de
  expect_user "LANGUAGE ignored in C" 127 127 20127
  run LC_ALL=C.UTF-8 LANGUAGE=de
  expect_user "LANGUAGE honoured in C.UTF-8" 127 7 65001
  # A locale that is not installed is "C" to the C library.
  run LC_ALL=xx_YY.UTF-8
  expect_user "a locale that is not installed" 127 127 20127
  run LANG=de_DE.UTF-8 LC_ALL=../../../etc/passwd
  expect_user "a path for a name" 127 127 20127
}

# Whatever the environment and the streams hold, the program ends with the
# right status and, where it can write, the nine lines.
group_hostile() {
  require_locales
  local huge
  huge=$(head -c 100000 /dev/zero | tr '\0' 'a')
  run LANG="$huge"
  expect_user "LANG of 100 KB" 127 127 20127
  run LC_ALL="$huge" LANG=de_DE.UTF-8
  expect_user "LC_ALL of 100 KB" 127 127 20127
  run LC_ALL=de_DE.UTF-8 LANGUAGE="$huge"
  expect_user "LANGUAGE of 100 KB" 1031 3072 65001
  run LC_ALL="$(every_byte)"
  expect_user "LC_ALL of bytes 1 to 255" 127 127 20127
  run LC_ALL=de_DE.UTF-8 LANGUAGE="$(every_byte)"
  expect_user "LANGUAGE of bytes 1 to 255" 1031 3072 65001
  run LC_ALL=../../../../../etc/passwd
  expect_user "LC_ALL a relative path" 127 127 20127
  run LANG=/nonexistent/de_DE.UTF-8
  expect_user "LANG an absolute path" 127 127 20127
  run LC_ALL=de_DE.UTF-8 LANGUAGE=../de:/etc
  expect_user "LANGUAGE a path" 1031 3072 65001
  run LC_ALL= LANG= LANGUAGE= LC_TIME= LC_MESSAGES= LC_CTYPE=
  expect_user "all empty" 127 127 20127

  head -c 1048576 /dev/zero | run LC_ALL=de_DE.UTF-8
  expect_user "standard input of 1 MB" 1031 1031 65001
  head -c 1048576 /dev/urandom >"$scratch/random"
  run LC_ALL=de_DE.UTF-8 <"$scratch/random"
  expect_user "standard input of 1 MB of random bytes" 1031 1031 65001

  # A reader that is gone by the time the report is written ends the program
  # by SIGPIPE, as with any other filter.
  { sleep 0.3; env -i "$program" </dev/null 2>"$scratch/err"; echo $? >"$scratch/status"; } | true
  expect_eq "pipe closed early: killed by SIGPIPE" 141 "$(cat "$scratch/status")"
  expect_eq "pipe closed early: no message" "" "$(cat "$scratch/err")"
}

# Every locale glibc supports, as LC_ALL.
group_all_locales() {
  require_locales
  local name windows code_page lcid count=0
  while IFS=$'\t' read -r -u 3 name _ windows code_page; do
    lcid=3072
    if [ "$windows" != - ]; then
      lcid=$(($(awk -F'\t' -v n="$windows" '$1 == n { print $2 }' "$windows_tsv")))
      [ "$lcid" -eq 4096 ] && lcid=3072
    fi
    run LC_ALL="$name" </dev/null
    expect_user "LC_ALL=$name ($windows)" "$lcid" "$lcid" "$code_page"
    count=$((count + 1))
  done 3< <(grep -v '^#' "$data_dir/supported-locales.tsv")
  expect_eq "locales run" 500 "$count"
}

# The system's default locale, from a locale file of our own: /etc is
# replaced by a scratch directory in a private mount namespace.
group_system() {
  [ "$(id -u)" -eq 0 ] && unshare --mount true 2>/dev/null || skip "needs root and unshare --mount"
  require_locales
  system_case() {  # what, locale.conf or -, default/locale or -, system-lcid, system-ui
    local etc=$scratch/etc
    rm -rf "$etc" && mkdir -p "$etc/default"
    [ "$2" != - ] && printf '%b' "$2" >"$etc/locale.conf"
    [ "$3" != - ] && printf '%b' "$3" >"$etc/default/locale"
    unshare --mount sh -c 'mount --bind "$1" /etc && shift && exec "$@"' - "$etc" \
      env -i LOCPATH="$locpath" LC_ALL=de_DE.UTF-8 "$program" >"$scratch/out" 2>"$scratch/err" </dev/null
    status=$?
    expect_eq "$1" "$(report "$4" 1031 "$5" 1031 65001)" "$(cat "$scratch/out")"
    expect_eq "$1: status" 0 "$status"
  }
  system_case "no locale file" - - 127 127
  system_case "Debian's file" - 'LANG=fr_FR.UTF-8\n' 1036 1036
  system_case "systemd's file first" 'LANG="it_IT.UTF-8"\n' 'LANG=fr_FR.UTF-8\n' 1040 1040
  system_case "format and messages apart" - 'LANG=en_US\nLC_CTYPE=ja_JP\nLC_MESSAGES=sr_RS@latin\n' 1041 9242
  system_case "LC_ALL over all" - 'LC_CTYPE=ja_JP\nLC_ALL=pt_BR\nLC_MESSAGES=sr_RS\n' 1046 1046
  system_case "comments and garbage" - '# LANG=de_DE\n\x01\xff garbage\nLANG = es_ES\n' 3082 3082
  system_case "an uninstalled locale still names its language" - 'LANG=ko_KR.UTF-8\n' 1042 1042
  system_case "a name with no Windows counterpart" - 'LANG=tlh_XX\n' 3072 3072
  local bytes
  bytes=$(every_byte)
  system_case "a binary file" - "$(for _ in $(seq 400); do printf '%s' "$bytes"; done | sed 's/\\/\\\\/g')" 127 127
  system_case "10 MB of comments, then the setting" - \
    "$(yes '# nothing to see here, just a comment line of some length' | head -c 10485760)\nLANG=pt_BR\n" 1046 1046
  system_case "a line of 1 MB, then the setting" - "LANG=$(head -c 1048576 /dev/zero | tr '\0' x)\nLANG=ja_JP\n" 1041 1041

  # A locale file that exists but cannot be read hides the other one.
  rm -rf "${scratch:?}/etc" && mkdir -p "$scratch/etc/default" "$scratch/etc/locale.conf"
  printf 'LANG=fr_FR\n' >"$scratch/etc/default/locale"
  unshare --mount sh -c 'mount --bind "$1" /etc && shift && exec "$@"' - "$scratch/etc" \
    env -i LOCPATH="$locpath" LC_ALL=de_DE.UTF-8 "$program" >"$scratch/out" </dev/null
  expect_eq "a directory for a file" "$(report 127 1031 127 1031 65001)" "$(cat "$scratch/out")"
  rmdir "$scratch/etc/locale.conf" && mkfifo "$scratch/etc/locale.conf"
  timeout 10 unshare --mount sh -c 'mount --bind "$1" /etc && shift && exec "$@"' - "$scratch/etc" \
    env -i LOCPATH="$locpath" LC_ALL=de_DE.UTF-8 "$program" >"$scratch/out" </dev/null
  expect_eq "a FIFO for a file: no wait" 0 "$?"
  expect_eq "a FIFO for a file" "$(report 127 1031 127 1031 65001)" "$(cat "$scratch/out")"
}

"group_$group"
finish
