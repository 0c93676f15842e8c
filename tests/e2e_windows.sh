#!/usr/bin/env bash
# End-to-end runs of the Windows program under Wine:
#   e2e_windows.sh GROUP RUNNER PROGRAM [LOCPATH]
# RUNNER is tests/wine-run.sh, which runs the loader $WINE (default: wine);
# LOCPATH is where the C library finds the locales the 'apart' group names
# (tests/build-locales.sh). Each group works in a throw-away Wine prefix of
# its own, under WINE_RUN_DIR, made as RUNNER makes one. Wine reports the
# locale named by LC_ALL, which may be a Windows name. 77 means skipped, with
# the reason printed.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
group=$1
runner=$2
program=$3
locpath=${4:-}
command -v "${WINE:-wine}" >/dev/null || skip "${WINE:-wine} is not installed"
scratch=$(mktemp -d)
parent=${WINE_RUN_DIR:-$scratch}
mkdir -p "$parent"
# A prefix the runner makes at its first call.
WINEPREFIX=$(mktemp -u "$parent/prefix.XXXXXX")
export WINEPREFIX
cleanup() {
  wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX" "$scratch"
}
trap cleanup EXIT
exec </dev/null  # no run may wait on a terminal

# The nine lines, with Windows line ends: under Wine each of the system's
# three identifiers comes from one locale and each of the user's from one.
report() {  # system-lcid, user-lcid, ansi, oem
  printf 'GetSystemDefaultLCID: 0x%08X (%d)\r\n' "$1" "$1"
  printf 'GetUserDefaultLCID: 0x%08X (%d)\r\n' "$2" "$2"
  printf 'GetSystemDefaultLangID: 0x%04X (%d)\r\n' "$1" "$1"
  printf 'GetUserDefaultLangID: 0x%04X (%d)\r\n' "$2" "$2"
  printf 'GetSystemDefaultUILanguage: 0x%04X (%d)\r\n' "$1" "$1"
  printf 'GetUserDefaultUILanguage: 0x%04X (%d)\r\n' "$2" "$2"
  printf 'GetACP: %u\r\nGetOEMCP: %u\r\nHit [Enter] key\r\n' "$3" "$4"
}

run() {  # LC_ALL value, then arguments; the caller's standard input
  local locale=$1
  shift
  LC_ALL=$locale "$runner" "$program" "$@" >"$scratch/out" 2>"$scratch/err"
  status=$?
}

# Values that are facts of Windows for these locales.
group_locales() {
  local locale lcid ansi oem
  while read -r -u 3 locale lcid ansi oem; do
    run "$locale"
    # od keeps the carriage returns that $(...) would keep too, but shows them on failure.
    expect_eq "$locale" "$(report "$lcid" "$lcid" "$ansi" "$oem" | od -c)" "$(od -c <"$scratch/out")"
    expect_eq "$locale: status" 0 "$status"
  done 3<<'EOF_LOCALES'
ja-JP 0x0411 932 932
de-DE 0x0407 1252 850
sr-Latn-RS 0x241A 1250 852
ar-SA 0x0401 1256 720
en-US 0x0409 1252 437
es-ES 0x0C0A 1252 850
EOF_LOCALES
  expect_eq "redirected output: nine CR LF lines, nothing else" "9 9 $(report 0x0C0A 0x0C0A 1252 850 | wc -c)" \
    "$(grep -c $'\r$' "$scratch/out") $(wc -l <"$scratch/out") $(wc -c <"$scratch/out")"
}

# The system's values and the user's apart: Wine takes the system locale (and
# with it the code pages) from LC_CTYPE and the user's from LC_MESSAGES, both
# as the C library loads them. Every identifier and code page of a pair
# differs from every other, so no line can stand in for another.
group_apart() {
  local pairs system user system_lcid user_lcid ansi oem made=0
  pairs=$(
    cat <<'EOF_PAIRS'
ru_RU.UTF-8 ar_SA.UTF-8 0x0419 0x0401 1251 866
ar_SA.UTF-8 sr_RS@latin 0x0401 0x241A 1256 720
de_DE.UTF-8 ja_JP.UTF-8 0x0407 0x0411 1252 850
el_GR.UTF-8 ko_KR.UTF-8 0x0408 0x0412 1253 737
EOF_PAIRS
  )
  # shellcheck disable=SC2046  # one locale name a word
  "$(dirname "$0")/build-locales.sh" "$locpath" $(awk '{ print $1; print $2 }' <<<"$pairs" | sort -u) ||
    made=$?
  [ "$made" -ne 77 ] || skip "the C library cannot load the locales of the pairs"
  [ "$made" -eq 0 ] || { fail "the locales of the pairs could not be compiled"; return; }
  while read -r -u 3 system user system_lcid user_lcid ansi oem; do
    LOCPATH=$locpath LC_CTYPE=$system LC_MESSAGES=$user "$runner" "$program" >"$scratch/out" 2>"$scratch/err"
    status=$?
    expect_eq "system $system, user $user" "$(report "$system_lcid" "$user_lcid" "$ansi" "$oem" | od -c)" \
      "$(od -c <"$scratch/out")"
    expect_eq "system $system, user $user: status" 0 "$status"
  done 3<<<"$pairs"
}

group_streams() {
  run en-US
  local plain
  plain=$(od -c <"$scratch/out")
  for args in "--help" "/?" "-h" "" "a b" "%s%n" "$(printf 'x%.0s' {1..2000})"; do
    run en-US $args "$args"
    expect_eq "arguments '${args:0:20}'" "$plain" "$(od -c <"$scratch/out")"
    expect_eq "arguments '${args:0:20}': status" 0 "$status"
  done
  run en-US <&-
  expect_eq "standard input closed" "$plain" "$(od -c <"$scratch/out")"
  expect_eq "standard input closed: status" 0 "$status"
  printf 'typed\r\n' | run en-US
  expect_eq "standard input piped" "$plain" "$(od -c <"$scratch/out")"
  expect_eq "standard input piped: status" 0 "$status"

  LC_ALL=en-US "$runner" "$program" >/dev/full 2>"$scratch/err"
  expect_eq "/dev/full: status" 1 "$?"
  expect_eq "/dev/full: message" "locale-report: write error: No space left on device" \
    "$(tr -d '\r' <"$scratch/err")"
  LC_ALL=en-US "$runner" "$program" >&- 2>"$scratch/err"
  expect_eq "closed standard output: status" 1 "$?"
  expect_eq "closed standard output: message" "locale-report: write error: Bad file descriptor" \
    "$(tr -d '\r' <"$scratch/err")"
}

# On a terminal, as a user sees it: Wine's console draws with escapes, so the
# screen is read as tmux renders it.
group_console() {
  command -v tmux >/dev/null || skip "tmux is not installed"
  local socket=$scratch/tmux screen i
  tmux -S "$socket" new-session -d -x 100 -y 30 \
    "LC_ALL=de-DE '$runner' '$program'; echo \$? >'$scratch/status'; sleep 60"
  for ((i = 0; i < 200; i++)); do
    screen=$(tmux -S "$socket" capture-pane -p)
    grep -q 'Hit \[Enter\] key' <<<"$screen" && break
    sleep 0.1
  done
  expect_eq "all nine lines on screen before the wait" "$(report 0x0407 0x0407 1252 850 | tr -d '\r')" \
    "$(sed '/^$/d' <<<"$screen")"
  sleep 0.5
  [ ! -e "$scratch/status" ] && pass || fail "the program did not wait for Enter"
  tmux -S "$socket" send-keys Enter
  for ((i = 0; i < 100; i++)); do
    [ -s "$scratch/status" ] && break
    sleep 0.1
  done
  expect_eq "Enter ends the wait with status 0" 0 "$(cat "$scratch/status" 2>/dev/null)"
  tmux -S "$socket" kill-server 2>/dev/null
}

"group_$group"
finish
