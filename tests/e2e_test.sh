#!/usr/bin/env bash
# End-to-end runs of the built program:
#   e2e_test.sh GROUP PROGRAM [LOCPATH [PAM_LOGIN]]
# PAM_LOGIN is the tests' pam_login, a login as libpam runs it.
# Each group is its own ctest test; 77 means skipped, with the reason printed.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
group=$1
program=$2
locpath=${3:-}
pam_login=${4:-}
data_dir=$(cd "$(dirname "$0")/data" && pwd)
windows_tsv=$(cd "$(dirname "$0")/.." && pwd)/data/windows-locales.tsv
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 711 "$scratch"  # for a copy of the program that others run
exec </dev/null  # no run may wait on a terminal

# The groups that set locales need them loadable through LOCPATH, from the
# build tree or the system (tests/build-locales.sh).
loadable() { [ -z "$(LOCPATH=$locpath LC_ALL=$1 locale 2>&1 >/dev/null)" ]; }
require_locales() {
  loadable de_DE.UTF-8 || skip "de_DE.UTF-8 cannot be loaded with LOCPATH=$locpath (see the build_locales test)"
}

# A cross build's program runs with the target's C library, which may lack
# what this machine's has: Debian's cross sysroot has no gconv modules, which
# the EUC-JP and EUC-KR locales need. A row with such a locale is skipped
# there, with the reason; natively none is.
declare -A cannot_load
target_cannot_load() {  # locale; prints why
  [ -n "${LOCALE_REPORT_EMULATOR:-}" ] && loadable "$1" || return 1
  [ -n "${cannot_load[$1]+set}" ] ||
    cannot_load[$1]=$(env -i LOCPATH="$locpath" LC_ALL="$1" "$program" </dev/null 2>&1 >/dev/null)
  [ -n "${cannot_load[$1]}" ] && echo "skipped under $LOCALE_REPORT_EMULATOR: the target's C library cannot load $1"
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
# out, err and status. Standard input is the caller's. Forks are dear, so
# the checks read files with $(<...) and keep to the shell's own commands.
run() {
  env -i ${locpath:+LOCPATH=$locpath} "$@" "$program" >"$scratch/out" 2>"$scratch/err"
  status=$?
  out=$(<"$scratch/out")
  err=$(<"$scratch/err")
  # Whether new sessions set a variable is this machine's to say; the
  # system group's own /etc holds it to what they do.
  err=${err//; new sessions here do not set it/}
}

# The system lines of this machine, whatever its locale file says: the user
# lines (all but the first, third and fifth) are what these tests look at
# outside the 'system' group. Sets user_lines from a report's file.
user_lines() {
  local -a lines
  mapfile -t lines <"$1"
  printf -v user_lines '%s\n' "${lines[1]-}" "${lines[3]-}" "${lines[@]:5}"
}
expect_user() {  # what, user-lcid, user-ui, code-page[, standard error]
  report 0 "$2" 0 "$3" "$4" >"$scratch/expected"
  user_lines "$scratch/expected"
  local expected=$user_lines
  user_lines "$scratch/out"
  expect_eq "$1" "$expected" "$user_lines"
  expect_eq "$1: status" 0 "$status"
  expect_eq "$1: standard error" "${5:-}" "$err"
}
# The warning for each VARIABLE=value given, as the program shows it: of
# the environment, or (unloadable_default) of the system's locale file.
cannot_be_loaded() {  # where ("" or "FILE: "), who, VARIABLE=value...
  local where=$1 who=$2 setting
  shift 2
  for setting; do
    printf 'locale-report: %s%s="%s" cannot be loaded: %s run in the C locale\n' \
      "$where" "${setting%%=*}" "${setting#*=}" "$who"
  done
}
unloadable() { cannot_be_loaded "" "programs that load their whole locale from the environment" "$@"; }
# As unloadable, where new sessions (ssh: new ssh sessions) do not set the
# variables.
unloadable_unset() {  # "" or ssh, VARIABLE=value...
  local suffix="; new sessions here do not set it" line
  [ "$1" != ssh ] ||
    suffix="; new ssh sessions here do not set it: it came from elsewhere, such as the ssh client (SendEnv) or a shell start-up file"
  while IFS= read -r line; do printf '%s%s\n' "$line" "$suffix"; done < <(unloadable "${@:2}")
}
# A new session's setting is named by the pam_env line of the login stack
# that set it last, "FILE: MODULE ARGUMENTS": the Nth of the system's own.
pam_env_line() {  # N
  sed -n 's/^[^#]*[[:space:]]\(pam_env\.so.*\)$/\1/p' /etc/pam.d/login | sed -n "${1}p" |
    sed 's/[[:space:]][[:space:]]*/ /g; s/ $//; s|^|/etc/pam.d/login: |'
}
unloadable_default() { cannot_be_loaded "$1: " "new sessions" "${@:2}"; }

group_streams() {
  run LC_ALL=C.UTF-8 </dev/null
  expect_user "standard input empty" 127 127 65001
  [ "$(wc -l <"$scratch/out")" -eq 9 ] && pass || fail "nine lines, each ending in a newline"

  run LC_ALL=C.UTF-8 <&-
  expect_user "standard input closed" 127 127 65001
  run LC_ALL=C.UTF-8 < <(printf 'typed\n')
  expect_user "standard input piped" 127 127 65001
  run LC_ALL=C.UTF-8 < <(sleep 0.3; echo)
  expect_user "standard input piped late" 127 127 65001

  # A pipe that holds no data is waited on, until data come or it is closed:
  # the program must be seen asleep reading it (the kernel's wchan) and
  # still there a moment later.
  local end writer pid waiting
  mkfifo "$scratch/pipe"
  for end in "data:printf x >&\$writer" "closed:exec {writer}>&-"; do
    exec {writer}<>"$scratch/pipe"
    env -i LC_ALL=C.UTF-8 "$program" <"$scratch/pipe" >/dev/null 2>&1 {writer}>&- &
    pid=$!
    for _ in $(seq 100); do
      [[ $(</proc/$pid/wchan) == *pipe_read* ]] && break
      sleep 0.05
    done 2>/dev/null
    sleep 0.2
    waiting=$(cat /proc/$pid/wchan 2>/dev/null)
    [[ $waiting == *pipe_read* ]] && pass || fail "an empty pipe: still waiting (wchan '$waiting')"
    eval "${end#*:}"
    timeout 5 tail -s 0.05 --pid="$pid" -f /dev/null
    expect_eq "an empty pipe, then ${end%%:*}: the wait ends" 0 "$?"
    exec {writer}>&- 2>/dev/null
    wait "$pid"
  done

  # Whatever the arguments, nothing changes.
  run LC_ALL=C.UTF-8 </dev/null
  local plain=$out
  for args in "--help" "-h" "/?" "--version" "" "-" "--" "a b" "$(printf 'x%.0s' {1..5000})" "-x --y=z ../.. %s%n"; do
    env -i LC_ALL=C.UTF-8 "$program" $args "$args" >"$scratch/out" 2>"$scratch/err" </dev/null
    status=$?
    expect_eq "arguments '${args:0:20}'" "$plain" "$(<"$scratch/out")"
    expect_eq "arguments '${args:0:20}': status" 0 "$status"
    expect_eq "arguments '${args:0:20}': standard error" "" "$(<"$scratch/err")"
  done

  # A report that cannot be written is a failure, said so once.
  env -i LC_ALL=C.UTF-8 "$program" </dev/null >/dev/full 2>"$scratch/err"
  expect_eq "/dev/full: status" 1 "$?"
  expect_eq "/dev/full: message" "locale-report: write error: No space left on device" "$(<"$scratch/err")"
  env -i LC_ALL=C.UTF-8 "$program" </dev/null >&- 2>"$scratch/err"
  expect_eq "closed standard output: status" 1 "$?"
  expect_eq "closed standard output: message" "locale-report: write error: Bad file descriptor" \
    "$(<"$scratch/err")"
  env -i LC_ALL=C.UTF-8 "$program" </dev/null >/dev/full 2>&-
  expect_eq "/dev/full, standard error closed: status" 1 "$?"
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
  # Where it has only empty entries, messages are left untranslated.
  local languages
  for languages in ":=127" "::=127" ":fr:=12" "ast=5120"; do
    run LC_ALL=de_DE.UTF-8 LANGUAGE="${languages%=*}"
    expect_user "LANGUAGE=${languages%=*}" 1031 "${languages#*=}" 65001
  done
  run LC_ALL=C LANGUAGE=de
  expect_user "LANGUAGE ignored in C" 127 127 20127
  run LC_ALL=C.UTF-8 LANGUAGE=de
  expect_user "LANGUAGE honoured in C.UTF-8" 127 7 65001
  # A locale that is not installed is "C" to the C library.
  run LC_ALL=xx_YY.UTF-8
  expect_user "a locale that is not installed" 127 127 20127 "$(unloadable LC_ALL=xx_YY.UTF-8)"
  # Blanks in a value show between the quotes.
  local setting
  for setting in 'LANG=de_DE ' 'LC_ALL= '; do
    run "$setting"
    expect_user "'$setting'" 127 127 20127 "$(unloadable "$setting")"
  done
  run LANG=de_DE.UTF-8 LC_ALL=../../../etc/passwd
  expect_user "a path for a name" 127 127 20127 "$(unloadable LC_ALL=../../../etc/passwd)"

  # One setting the C library cannot load, for any category, leaves them all
  # "C" for every program that takes its locale from the environment, and the
  # report says which. What such a program gets (wc -m counts a two-byte
  # character as one only in UTF-8) must agree with the code page shown.
  loading_case() {  # what, user-lcid, user-ui, code-page, standard error, variables...
    local what=$1 chars
    run "${@:6}"
    expect_user "$@"
    chars=$(printf '\xc3\xa4' | env -i ${locpath:+LOCPATH=$locpath} "${@:6}" wc -m)
    expect_eq "$what: what wc -m gets" "$([ "$4" = 65001 ] && echo 1 || echo 2)" "$chars"
  }
  loading_case "everything loads" 1031 1031 65001 "" LANG=de_DE.UTF-8
  loading_case "LC_TIME cannot be loaded" 127 127 20127 "$(unloadable LC_TIME=en_XX.UTF-8)" \
    LANG=de_DE.UTF-8 LC_TIME=en_XX.UTF-8
  loading_case "a codeset alone" 127 127 20127 "$(unloadable LC_CTYPE=UTF-8)" \
    LANG=en_US.UTF-8 LC_CTYPE=UTF-8
  loading_case "categories the report does not show" 127 127 20127 \
    "$(unloadable LC_NUMERIC=xx_YY.UTF-8 LC_PAPER=yy_ZZ.UTF-8)" \
    LANG=de_DE.UTF-8 LC_PAPER=yy_ZZ.UTF-8 LC_NUMERIC=xx_YY.UTF-8
  loading_case "LANG cannot be loaded" 127 127 20127 "$(unloadable LANG=xx_YY.UTF-8)" \
    LANG=xx_YY.UTF-8 LC_TIME=de_DE.UTF-8
  loading_case "LC_ALL over what cannot be loaded" 1036 1036 65001 "" \
    LC_TIME=xx_YY.UTF-8 LC_ALL=fr_FR.UTF-8
  loading_case "an escape sequence in the value" 127 127 20127 \
    "$(unloadable 'LC_MESSAGES=\x1B]0;owned\x07\x1B[2J\\')" \
    LANG=de_DE.UTF-8 LC_MESSAGES=$'\e]0;owned\a\e[2J\\'

  # The program's own message is the same whatever the environment.
  env -i ${locpath:+LOCPATH=$locpath} LANG=de_DE.UTF-8 "$program" </dev/null >/dev/full 2>"$scratch/err"
  expect_eq "/dev/full under LANG=de_DE.UTF-8: message" \
    "locale-report: write error: No space left on device" "$(<"$scratch/err")"
}

# Whatever the environment and the streams hold, the program ends with the
# right status and, where it can write, the nine lines.
group_hostile() {
  require_locales
  local huge
  huge=$(head -c 100000 /dev/zero | tr '\0' 'a')
  # A value is shown cut and escaped.
  run LANG="$huge"
  expect_user "LANG of 100 KB" 127 127 20127 "$(unloadable "LANG=${huge:0:64}...")"
  run LC_ALL="$huge" LANG=de_DE.UTF-8
  expect_user "LC_ALL of 100 KB" 127 127 20127 "$(unloadable "LC_ALL=${huge:0:64}...")"
  run LC_ALL=de_DE.UTF-8 LANGUAGE="$huge"
  expect_user "LANGUAGE of 100 KB" 1031 5120 65001
  run LC_ALL="$(every_byte)"
  expect_user "LC_ALL of bytes 1 to 255" 127 127 20127 "$(unloadable "LC_ALL=$(printf '\\x%02X' $(seq 31)) !\\x22#\$%&'()*+,-./0123456789:;<=>?@...")"
  run LC_ALL=de_DE.UTF-8 LANGUAGE="$(every_byte)"
  expect_user "LANGUAGE of bytes 1 to 255" 1031 5120 65001
  run LC_ALL=../../../../../etc/passwd
  expect_user "LC_ALL a relative path" 127 127 20127 "$(unloadable LC_ALL=../../../../../etc/passwd)"
  run LANG=/nonexistent/de_DE.UTF-8
  expect_user "LANG an absolute path" 127 127 20127 "$(unloadable LANG=/nonexistent/de_DE.UTF-8)"
  run LC_ALL=de_DE.UTF-8 LANGUAGE=../de:/etc
  expect_user "LANGUAGE a path" 1031 5120 65001
  run LC_ALL= LANG= LANGUAGE= LC_TIME= LC_MESSAGES= LC_CTYPE=
  expect_user "all empty" 127 127 20127
  # A FIFO where the C library looks for a locale would hold it for ever:
  # the report stops waiting within seconds.
  mkdir -p "$scratch/fifo/de_DE.UTF-8" && mkfifo "$scratch/fifo/de_DE.UTF-8/LC_CTYPE"
  local start=$SECONDS
  run LOCPATH="$scratch/fifo" LC_ALL=de_DE.UTF-8
  expect_user "a FIFO in LOCPATH" 127 127 20127 "locale-report: loading the locale of the environment did not end within 2 seconds (a FIFO or device where the C library looks for it): every line shows C"
  [ $((SECONDS - start)) -le 4 ] && pass || fail "a FIFO in LOCPATH: ends within seconds"

  run LC_ALL=de_DE.UTF-8 < <(head -c 1048576 /dev/zero)
  expect_user "standard input of 1 MB" 1031 1031 65001
  head -c 1048576 /dev/urandom >"$scratch/random"
  run LC_ALL=de_DE.UTF-8 <"$scratch/random"
  expect_user "standard input of 1 MB of random bytes" 1031 1031 65001

  # A reader that is gone by the time the report is written ends the program
  # by SIGPIPE, as with any other filter.
  { sleep 0.3; env -i "$program" </dev/null 2>"$scratch/err"; echo $? >"$scratch/status"; } | true
  expect_eq "pipe closed early: killed by SIGPIPE" 141 "$(<"$scratch/status")"
  expect_eq "pipe closed early: no message" "" "$(<"$scratch/err")"
}

# Every locale glibc supports, as LC_ALL. The runs go to one file and what
# each should print to another, each line marked with its locale, and the two
# are compared at once: a fork for each run, and none for what it should print.
# Under emulation, where the same source was swept natively, a sample: the
# first locale of each codeset and every 25th, what can differ between
# architectures being the tables and the codesets, not the names.
group_all_locales() {
  require_locales
  local name codeset code lcid windows code_page count=0 run=0
  local -A lcids seen
  while IFS=$'\t' read -r -u 3 name code _; do
    lcids[$name]=$((code == 0x1000 ? 3072 : code))
  done 3< <(tail -n +2 "$windows_tsv")
  while IFS=$'\t' read -r -u 3 name codeset windows code_page; do
    count=$((count + 1))
    if [ -n "${LOCALE_REPORT_EMULATOR:-}" ] && [ -n "${seen[$codeset]+set}" ] && ((count % 25 != 0)); then
      continue
    fi
    seen[$codeset]=1
    run=$((run + 1))
    lcid=${lcids[$windows]:-3072}
    # An interface language without an identifier is 0x1400 on Windows.
    { echo "LC_ALL=$name ($windows)"; report 0 "$lcid" 0 $((lcid == 3072 ? 5120 : lcid)) "$code_page"
      echo "status 0"; } >>"$scratch/expected"
    { echo "LC_ALL=$name ($windows)"; env -i LOCPATH="$locpath" LC_ALL="$name" "$program" </dev/null 2>&1
      echo "status $?"; } >>"$scratch/printed"
  done 3< <(grep -v '^#' "$data_dir/supported-locales.tsv")
  expect_eq "locales listed" 500 "$count"
  echo "$run of them run, ${#seen[@]} codesets"
  marked() { awk '/^LC_ALL=/ { run = $0; next } !/^GetSystem/ { print run ": " $0 }' "$1"; }
  expect_eq "every locale's user lines and status" "$(marked "$scratch/expected")" "$(marked "$scratch/printed")"
}

# Runs a command in a private mount namespace with /etc replaced by a scratch
# directory, and /usr/share/locale too where one is given; 10 seconds at most.
# The tools that set it up run in the "C" locale, so that none of them reads
# the alias table of /usr/share/locale, which may be a FIFO.
# Each SOURCE:TARGET in $binds (blank-separated) is bound there too.
binds=
isolated() {  # etc-directory, share-locale-directory or "", command...
  timeout 10 env -i PATH="$PATH" binds="$binds" unshare --mount sh -c \
    'mount --bind "$1" /etc && { [ -z "$2" ] || mount --bind "$2" /usr/share/locale; } &&
     for bind in $binds; do mount --bind "${bind%%:*}" "${bind#*:}" || exit; done &&
     shift 2 && exec "$@"' - "$@"
}
can_isolate() {
  [ "$(id -u)" -eq 0 ] || skip "needs root, for unshare --mount"
  local why
  why=$(unshare --mount true 2>&1) || skip "unshare --mount fails here: $why"
  copy_etc "$scratch/etc" || skip "cannot copy /etc"
}
# A new session has no LOCPATH: the system's default must load without it.
require_system_locales() {
  local name
  for name in de_DE.UTF-8 fr_FR.UTF-8 it_IT.UTF-8 ja_JP.UTF-8 pt_BR.UTF-8 es_ES.UTF-8 sr_RS@latin; do
    [ -z "$(env -i LC_ALL="$name" locale 2>&1 >/dev/null)" ] ||
      skip "$name is not installed on the system (Debian: locales-all)"
  done
}

# The locale variables a su session gets from pam_env, one per line, each
# as printf %q gives it: pam_env itself, in the copy of /etc, with a su
# stack of the login's own pam_env lines. Empty, with the reason in
# su_skipped, where that cannot run here. login_variables: those of a login
# shell, which runs the profile too.
session_variables() { variables_of_su -s /bin/sh; }
login_variables() { variables_of_su -l -s /bin/bash; }
variables_of_su() {  # su's options
  local -a variables
  mapfile -d '' variables < <(isolated "$scratch/etc" "" \
      env -i PATH=/usr/bin:/bin su "$@" nobody -c "env -0" 2>/dev/null)
  for variable in "${variables[@]}"; do
    [[ $variable =~ ^(LANG|LANGUAGE|LC_[A-Z]+)= ]] && printf '%q\n' "$variable"
  done
}
su_skipped=
can_su() {
  local etc=$scratch/etc
  { printf '%s\n' 'auth sufficient pam_rootok.so' 'account required pam_permit.so'
    grep -E '^[^#]*pam_env\.so' "$etc/pam.d/login"; } >"$scratch/su" 2>/dev/null
  cp "$scratch/su" "$etc/pam.d/su" 2>/dev/null
  printf 'LANG DEFAULT=pam_env.probe\n' >"$etc/security/pam_env.conf"
  if ! grep -q pam_env "$scratch/su" || [ "$(session_variables)" != LANG=pam_env.probe ]; then
    su_skipped="a su session does not get pam_env's settings here"
  fi
}

# What pam_env says in a login over the copy of /etc, as libpam's login
# (pam_login) hears it, each message once, as the report names it of LINE:
# its words differ between releases. The probe service runs the login's
# pam_env lines and what they include, and nothing else of its stack.
pam_env_says() {  # line[, pam_login and the user, for another than root]
  local message etc=$scratch/etc
  grep -E '^[^#]*(pam_env\.so|include|INCLUDE|substack)' "$etc/pam.d/login" | grep -v 'common-' >"$etc/pam.d/probe"
  while IFS= read -r message; do
    printf 'locale-report: %s: pam_env says: %s\n' "$1" "${message//$'\r'/\\x0D}"
  done < <(isolated "$etc" "" ${2:+setpriv --reuid=65534 --regid=65534 --clear-groups} \
      ${LOCALE_REPORT_EMULATOR:-} "${2:-$pam_login}" probe "${3:-root}" nopassword 2>&1 >/dev/null |
    sed -n 's/^pam_login: says: //p' | awk '!seen[$0]++')
  rm -f "$etc/pam.d/probe"
}

# The system's default locale, from locale files of our own.
group_system() {
  can_isolate
  require_locales
  require_system_locales
  [ -n "$pam_login" ] || skip "no pam_login given, which what pam_env says is held to"
  can_su
  # Each FILE=content names a file in /etc (content as printf %b takes it),
  # -FILE one to remove; LOCPATH=DIR is the program's own; SU=content the
  # session lines of su's stack, for one of the login's own; BIND=FILE:PATH
  # binds a file of /etc over PATH; RUN=command runs in /etc's copy;
  # CHLD=ignored starts the program with SIGCHLD ignored; MANAGER has
  # systemd run (/run/systemd/system, in a /run of its own); SSH runs the
  # program inside an ssh session (SSH_CONNECTION).
  system_case() {  # what, system-lcid, system-ui, standard error, FILE=content...
    local etc=$scratch/etc setting locpath_given=$locpath
    local -a caller=()
    copy_etc "$etc" && cp "$scratch/su" "$etc/pam.d/su" && chmod 755 "$etc"
    binds=''
    session=()
    local says_of="" wanted_err=$4
    for setting in "${@:5}"; do
      case $setting in
        LOCPATH=*) locpath_given=${setting#*=} ;;
        MANAGER) rm -rf "$scratch/run" && mkdir -p "$scratch/run/systemd/system" && binds+=" $scratch/run:/run" ;;
        SSH) session=(SSH_CONNECTION="192.0.2.1 50000 192.0.2.2 22") ;;
        SAYS=*) says_of=${setting#SAYS=} ;;
        CHLD=ignored) caller=(perl -e '$SIG{CHLD} = "IGNORE"; exec @ARGV') ;;
        SU=*) printf 'auth sufficient pam_rootok.so\naccount required pam_permit.so\n%b' \
          "${setting#*=}" >"$etc/pam.d/su" ;;
        BIND=*) binds+=" $scratch/etc/${setting#BIND=}" ;;
        RUN=*) (cd "$etc" && eval "${setting#RUN=}") ;;
        -*) rm -f "$etc/${setting#-}" ;;
        *) mkdir -p "$(dirname "$etc/${setting%%=*}")" && printf '%b' "${setting#*=}" >"$etc/${setting%%=*}" ;;
      esac
    done
    isolated "$etc" "" "${caller[@]}" env -i LOCPATH="$locpath_given" LC_ALL=de_DE.UTF-8 "${session[@]}" "$program" \
      >"$scratch/out" 2>"$scratch/err" </dev/null
    status=$?
    report "${2/su/0}" 1031 "${3/su/0}" 1031 65001 >"$scratch/expected"
    if [ "$2" = su ]; then
      # The system lines are held to su's alone (session_case), as pam_env
      # reads a file its way in each release.
      user_lines "$scratch/expected"
      local wanted=$user_lines
      user_lines "$scratch/out"
      expect_eq "$1: the user lines" "$wanted" "$user_lines"
    else
      expect_eq "$1" "$(<"$scratch/expected")" "$(<"$scratch/out")"
    fi
    expect_eq "$1: status" 0 "$status"
    # SAYS=LINE: what pam_env says, named of LINE, comes first.
    [ -z "$says_of" ] || wanted_err=$(pam_env_says "$says_of"; [ -z "$4" ] || printf '%s\n' "$4")
    expect_eq "$1: standard error" "$wanted_err" "$(<"$scratch/err")"
  }
  # As system_case, and the system lines are the user lines of a program run
  # with exactly what a su session gets from the same files (where they name
  # one locale for all categories: the system lines show LC_CTYPE's, the
  # user's LC_TIME's).
  session_case() { compared_case session_variables "$@"; }
  # As session_case, held to a login shell's variables: pam_env's, then the
  # profile's.
  login_case() { compared_case login_variables "$@"; }
  compared_case() {  # the function that prints what sessions get, then as system_case
    local variables_of=$1
    shift
    system_case "$@"
    [ -z "$su_skipped" ] || { echo "$1: not held to pam_env: $su_skipped"; return; }
    local -a variables lines
    mapfile -t variables < <("$variables_of")
    eval "variables=(${variables[*]})"
    mapfile -t lines <"$scratch/out"
    printf '%s\n' "${lines[0]-}" "${lines[2]-}" "${lines[4]-}" | sed 's/^[^:]*: //' >"$scratch/system"
    run "${variables[@]}" </dev/null
    mapfile -t lines <"$scratch/out"
    expect_eq "$1: what a session gets (${variables[*]})" "$(<"$scratch/system")" \
      "$(printf '%s\n' "${lines[1]-}" "${lines[3]-}" "${lines[5]-}" | sed 's/^[^:]*: //')"
  }
  local default=default/locale env=environment conf=security/pam_env.conf systemd=locale.conf
  # Debian's two lines: pam_env.conf and /etc/environment, then pam_env.conf
  # and /etc/default/locale.
  local env_line default_line says="pam_env says"
  env_line=$(pam_env_line 1)
  default_line=$(pam_env_line 2)
  # A login stack without an envfile of its own, as Fedora's and Arch's.
  local fedora='pam.d/login=session required pam_env.so\n'
  disagree() {  # what sets the locale sessions get
    echo "locale-report: /etc/locale.conf: names other locales than login sessions get from $1: services get /etc/locale.conf's (through systemd)"
  }
  session_case "no locale file" 127 127 ""
  session_case "both files agree" 1040 1040 "" "$systemd=LANG=\"it_IT.UTF-8\"\n" "$default=LANG=it_IT.UTF-8\n"
  system_case "format and messages apart" 1041 9242 "" "$default=LANG=en_US\nLC_CTYPE=ja_JP.UTF-8\nLC_MESSAGES=sr_RS@latin\n"
  session_case "LC_ALL over all" 1046 1046 "" "$default=LC_CTYPE=ja_JP\nLC_ALL=pt_BR\nLC_MESSAGES=sr_RS\n"
  if grep -Eq '^german[[:space:]]+de_DE' /usr/share/locale/locale.alias 2>/dev/null; then
    session_case "an alias" 1031 1044 "" "$default=LANG=german\nLC_MESSAGES=Norwegian\n"
  fi
  session_case "Debian's file" 1036 1036 "" "$default=LANG=fr_FR.UTF-8\n"
  session_case "export" 1031 1031 "" "$default=export LANG=de_DE.UTF-8\n"
  session_case "a comment after the value" 1031 1031 "" "$default=LANG=de_DE.UTF-8 # German\n"
  session_case "quotes, and the last setting wins" 1046 1046 "" "$default=LANG=\"ja_JP.UTF-8\"\nLC_ALL=fr_FR\nLC_ALL\nLANG=\x27pt_BR.UTF-8\x27\n"
  session_case "blanks around =" 127 127 \
    "locale-report: $default_line: $says: non-alphanumeric key 'LANG = fr_FR.UTF-8' in /etc/default/locale', ignoring" \
    "$default=LANG = fr_FR.UTF-8\n"
  session_case "a line continued" 3082 3082 "" "SAYS=$default_line" "$default=LANG=es_ES\\\\\n#\n.UTF-8\n"
  local garbage="locale-report: $default_line: $says: non-alphanumeric key"
  session_case "comments and garbage" 3082 3082 "$garbage '\\x01\\xFF garbage' in /etc/default/locale', ignoring" \
    "$default=# LANG=de_DE\n\x01\xff garbage\nLANG=es_ES\n"
  session_case "a line of 8 KiB" su su "" "$default=LANG=es_ES\n#$(printf '%*s' 8190 '')\nLANG=de_DE\n"
  session_case "a NUL byte" su su "" "$default=LANG=es_ES\nLANG=de_DE\0\nLANG=fr_FR\n"
  session_case "an interface language apart" 1031 12 "" "$default=LANG=de_DE.UTF-8\nLANGUAGE=fr:de\n"
  session_case "a locale that cannot be loaded" 127 127 \
    "$(unloadable_default "$default_line" LANG=xx_YY.UTF-8)" "$default=LANG=xx_YY.UTF-8\n"
  session_case "a category that cannot be loaded" 127 127 \
    "$(unloadable_default "$default_line" 'LC_TIME=de_XX ')" "$default=LANG=de_DE.UTF-8\nLC_TIME=de_XX \n"
  session_case "a locale without an identifier" 3072 5120 "" "$default=LANG=ast_ES.UTF-8\n"
  # pam_env's first pass: its conffile, then /etc/environment.
  session_case "LC_ALL in /etc/environment" 1033 1033 "" "$env=LC_ALL=en_US.UTF-8\n" "$default=LANG=de_DE.UTF-8\n"
  session_case "C in /etc/environment over Japanese" 127 127 "" "$env=LC_ALL=C\nLANGUAGE=C\n" "$default=LANG=ja_JP.UTF-8\n"
  session_case "LANGUAGE in /etc/environment" 1031 1033 "" "$env=LANGUAGE=\"en_US:en\"\n" "$default=LANG=de_DE.UTF-8\n"
  session_case "an unloadable LC_ALL in /etc/environment" 127 127 \
    "$(unloadable_default "$env_line" LC_ALL=xx_YY.UTF-8)" "$env=LC_ALL=xx_YY.UTF-8\n" "$default=LANG=de_DE.UTF-8\n"
  session_case "DEFAULT= and OVERRIDE= in pam_env.conf" 1040 16 "" \
    "$conf=LC_TIME DEFAULT=it_IT.UTF-8\nLC_CTYPE DEFAULT=\${LC_TIME}\nLANGUAGE OVERRIDE=it\nLANG=fr_FR.UTF-8\n"
  session_case "without pam_env.conf, nothing" 127 127 "" "SAYS=$env_line" "$default=LANG=de_DE.UTF-8\n" "-$conf"
  # pam_env's own reading, whatever its release: the report asks it.
  local long
  long=de_DE.UTF-8$(printf '%*s' 300 '' | tr ' ' x)
  session_case "a value of 311 bytes" 127 127 \
    "$(unloadable_default "$default_line" "LANG=${long:0:64}...")" "$default=LANG=$long\n"
  session_case "readenv=4294967296 reads no envfile" 127 127 "" "$default=LANG=de_DE.UTF-8\n" \
    "pam.d/login=session required pam_env.so readenv=4294967296 envfile=/etc/default/locale\n" \
    "SU=session required pam_env.so readenv=4294967296 envfile=/etc/default/locale\n"
  session_case "/dev/null for the envfile" 127 127 "" "$default=LANG=de_DE.UTF-8\n" \
    "pam.d/login=session required pam_env.so envfile=/dev/null\n" \
    "SU=session required pam_env.so envfile=/dev/null\n"
  system_case "@{HOME} is the user's" 127 127 \
    "locale-report: $env_line: $says: Expandable variables must be wrapped in {} <@@{HOME}> - ignoring
$(unloadable_default "$env_line" "LANG=de_DE.UTF-8@$(getent passwd 0 | cut -d: -f6)")" \
    "$conf=LANG DEFAULT=de_DE.UTF-8@@{HOME}\n"
  # The login stack as libpam reads it: a word in brackets, INCLUDE,
  # a line continued, a CR in a word; "other" where there is no login.
  local stack='session INCLUDE /etc/pam.d/locale-stack\nauth required pam_env.so envfile=/etc/environment\r\n'
  local included='session optional pam_env.so \\\n  [envfile=/etc/default/locale x]\n'
  session_case "a login stack of many forms" 1040 1040 "" "SAYS=/etc/pam.d/login: pam_env.so envfile=/etc/environment\\x0D" \
    "default/locale x=LANG=it_IT.UTF-8\n" \
    "$env=LANG=de_DE.UTF-8\n" "pam.d/login=$stack" "pam.d/locale-stack=$included" "SU=$stack"
  session_case "no login stack: other's" 1036 1036 "" "-pam.d/login" "$default=LANG=fr_FR.UTF-8\n" \
    "pam.d/other=session required pam_env.so envfile=/etc/default/locale\n" "SU="
  local own='session required pam_env.so envfile=/etc/default/locale\n'
  if [ -d /usr/lib/pam.d ]; then
    session_case "the login stack in /usr/lib/pam.d" 1036 1036 "" "$default=LANG=fr_FR.UTF-8\n" \
      "-pam.d/login" "usr-pam.d/login=$own" "-pam.d/su" \
      "usr-pam.d/su=auth sufficient pam_rootok.so\naccount required pam_permit.so\n$own" \
      "BIND=usr-pam.d:/usr/lib/pam.d"
  else
    echo "the login stack in /usr/lib/pam.d: skipped, this system has no /usr/lib/pam.d to bind over"
  fi
  # A login pam_env fails is refused, as su's is.
  local refused
  refused="locale-report: $env_line: $says: Unterminated expandable variable: <\${LC_TIME>
locale-report: $env_line: pam_env fails (Critical error - immediate abort): new logins are refused"
  system_case "an unclosed \${ in pam_env.conf" 127 127 "$refused" "$conf=LANG DEFAULT=\${LC_TIME\n"
  isolated "$scratch/etc" "" env -i PATH=/usr/bin:/bin su -s /bin/sh nobody -c true >/dev/null 2>&1
  expect_eq "an unclosed \${ in pam_env.conf: su is refused too" 1 "$?"
  # On an auth line alone, as Fedora's, it fails only logins that skip
  # pam_authenticate: after it, libpam takes pam_env's PAM_IGNORE there.
  system_case "an unclosed \${ on an auth line alone" 127 127 \
    "locale-report: /etc/pam.d/login: pam_env.so: $says: Unterminated expandable variable: <\${LC_TIME>
locale-report: /etc/pam.d/login: pam_env.so: pam_env fails (Critical error - immediate abort): logins without a password (login -f, autologin) are refused; password logins go on without these variables" \
    "$conf=LANG DEFAULT=\${LC_TIME\n" \
    "pam.d/login=auth required pam_env.so\nauth required pam_permit.so\naccount required pam_permit.so\nsession required pam_permit.so\n"
  local login
  for login in "password:accepted" "nopassword:pam_setcred: Critical error - immediate abort"; do
    expect_eq "an unclosed \${ on an auth line alone: libpam's login, ${login%%:*}" "${login#*:}" \
      "$(isolated "$scratch/etc" "" ${LOCALE_REPORT_EMULATOR:-} "$pam_login" login root "${login%%:*}" 2>/dev/null)"
  done
  # Without libpam, or without the module of a line that fails the login.
  local libpam pam_env
  libpam=$(loaded_by "$program" libpam.so.0)
  pam_env=$(loaded_by "$program" pam_env.so)
  [ -n "$libpam" ] && [ -n "$pam_env" ] || { fail "the program loads no libpam and pam_env here"; return; }
  : >"$scratch/empty"
  system_case "no libpam" 127 127 \
    "locale-report: libpam.so.0: cannot be loaded (file too short): the system lines show new sessions without it" \
    "$default=LANG=fr_FR.UTF-8\n" "BIND=../empty:$libpam"
  system_case "no pam_env module" 127 127 \
    "locale-report: $pam_env: pam_env fails (Module is unknown): new logins are refused" \
    "$default=LANG=fr_FR.UTF-8\n" "BIND=../empty:$pam_env"
  # Where no file sets services a locale, the installed systemd's rules
  # decide: Debian's before release 257 reads /etc/default/locale where
  # there is no /etc/locale.conf, and its services get LANG=C.UTF-8 where
  # no file sets one. Without systemd installed, they are not known, and
  # nothing is said.
  local release rules=""
  release=$(dpkg-query -W -f='${Version}' systemd 2>/dev/null | sed 's/[^0-9].*//')
  [ -n "$release" ] && [ -n "$(systemd_library "$program")" ] && rules=yes
  services_default() {  # the file and how it fails, what sets the sessions' locale or ""
    [ -n "$rules" ] || return 0
    local services="services" sessions="get other locales from $2"
    [[ $1 == *missing ]] || services=they
    [ -n "$2" ] || sessions="in C, which no file of theirs sets a locale for either"
    echo "locale-report: $1: $services run in C.UTF-8 (through systemd), and login sessions $sessions"
  }
  # systemd's file: what services get where systemd runs; sessions take it
  # only through the login locale script of their distribution.
  local none="locale-report: /etc/locale.conf: names other locales than login sessions get, which no file of theirs sets: services get /etc/locale.conf's (through systemd)"
  session_case "systemd's file, where systemd does not run" 127 127 "" "$systemd=LANG=pt_BR.UTF-8\n"
  session_case "systemd's file alone, on Debian" 127 127 "$none" "$systemd=LANG=pt_BR.UTF-8\n" MANAGER
  system_case "two files that disagree" 1040 1040 "$(disagree "$default_line")" MANAGER \
    "$systemd=LANG=it_IT.UTF-8\n" "$default=LANG=it_IT.UTF-8\nLC_TIME=de_DE.UTF-8\n"
  system_case "systemd's file without a script" 127 127 "$none" "$fedora" "$systemd=LANG=ja_JP.UTF-8\n" MANAGER
  system_case "systemd's file under a LANG of PAM's" 1036 1036 "$(disagree "/etc/pam.d/login: pam_env.so")" \
    "$fedora" "$env=LANG=fr_FR.UTF-8\n" "$systemd=LANG=ja_JP.UTF-8\n" MANAGER
  system_case "systemd's file: a line of 1 MB, then the setting" 127 127 "$none" "$fedora" MANAGER \
    "$systemd=LANG=$(head -c 1048576 /dev/zero | tr '\0' x)\nLANG=ja_JP.UTF-8\n"
  system_case "systemd's file: the rest of a line too long is no line of its own" 127 127 \
    "$(services_default "/etc/locale.conf: sets no locale for services" "")" "$fedora" MANAGER \
    "$systemd=#$(head -c 1023 /dev/zero | tr '\0' x)LANG=fr_FR.UTF-8\n"
  # The same locale by other names is no difference: a CR that systemd
  # drops and pam_env keeps, a codeset written otherwise; and a long value
  # is taken whole.
  session_case "systemd's file and Debian's with CRLF" 1031 1031 "" MANAGER \
    "$systemd=LANG=de_DE.UTF-8\r\n" "$default=LANG=de_DE.utf8\r\n"
  session_case "systemd's file and Debian's with a value of 311 bytes" 127 127 \
    "$(unloadable_default "$default_line" "LANG=${long:0:64}...")" MANAGER "$default=LANG=$long\n" "$systemd=LANG=$long\n"
  # Debian 13's: one file by two names.
  session_case "Debian's file a link to systemd's" 1031 1031 "" MANAGER \
    "$systemd=LANG=de_DE.UTF-8\n" "-$default" "RUN=ln -s ../locale.conf $default"
  system_case "Debian's file a link to systemd's, with LC_ALL" 1036 1036 \
    "locale-report: /etc/locale.conf: login sessions read it too, as /etc/default/locale, and get other locales from it than services (through systemd) do: they take them from $default_line" \
    MANAGER "$systemd=LANG=de_DE.UTF-8\nLC_ALL=fr_FR.UTF-8\n" "-$default" "RUN=ln -s ../locale.conf $default"
  if [ -n "$rules" ] && [ "$release" -lt 257 ]; then
    session_case "Debian's file alone, systemd $release" 1031 1031 "" MANAGER "$default=LANG=de_DE.UTF-8\n"
  else
    session_case "Debian's file alone, systemd ${release:-not installed}" 1031 1031 \
      "$(services_default "/etc/locale.conf: is missing" "$default_line")" MANAGER "$default=LANG=de_DE.UTF-8\n"
  fi
  session_case "an empty systemd's file beside Debian's" 1031 1031 \
    "$(services_default "/etc/locale.conf: sets no locale for services" "$default_line")" MANAGER \
    "$systemd=" "$default=LANG=de_DE.UTF-8\n"
  # The distribution's login locale script, of our own here, run over what
  # pam_env gives as a login shell runs it.
  local lang=profile.d/lang.sh
  login_case "a script over pam_env's LANG" 1041 1041 "" "$default=LANG=de_DE.UTF-8\n" \
    "$lang=[ \"\$LANG\" = de_DE.UTF-8 ] && LANG=ja_JP.UTF-8 && export LANG\n"
  login_case "a script that reads systemd's file, as Arch's" 1046 1046 "" "$fedora" \
    "$systemd=LANG=pt_BR.UTF-8\n" "profile.d/locale.sh=[ -n \"\$LANG\" ] || . /etc/locale.conf\nexport LANG\n"
  login_case "LC_ALL from systemd's file, as Fedora's" 1036 1036 \
    "$(services_default "/etc/locale.conf: sets no locale for services" "/etc/$lang")" MANAGER \
    "$default=LANG=de_DE.UTF-8\n" "$systemd=LC_ALL=fr_FR.UTF-8\n" "$lang=. /etc/locale.conf\nexport LC_ALL\n"
  login_case "an unloadable LANG a script mends, as Ubuntu's" 127 127 "" "$default=LANG=xx_YY.UTF-8\n" \
    "profile.d/01-locale-fix.sh=[ -z \"\$(locale 2>&1 >/dev/null)\" ] || export LANG=C.UTF-8\n"
  local home
  home=$(getent passwd "$(id -u)" | cut -d: -f6)
  system_case "a script that reads the user's HOME" 1046 1046 "" "$default=LANG=de_DE.UTF-8\n" \
    "$lang=. \"\$HOME/.i18n\"\nexport LANG\n" "home/.i18n=LANG=pt_BR.UTF-8\n" "BIND=home:$home"
  # Inside an ssh session, sshd's stack, as Debian's reads the user's
  # ~/.pam_environment, which login's does not.
  local sshd='session required pam_env.so user_readenv=1 envfile=/etc/default/locale\n'
  local -a came_by_ssh=("$default=LANG=pt_BR.UTF-8\n" "pam.d/sshd=$sshd" "SU=$sshd"
    "home/.pam_environment=LANG DEFAULT=ja_JP.UTF-8\n" "BIND=home:$home")
  system_case "an ssh session: sshd's stack" 1041 1041 "" SSH "${came_by_ssh[@]}"
  expect_eq "an ssh session: sshd's stack: what su gets from it" LANG=ja_JP.UTF-8 \
    "$(isolated "$scratch/etc" "" env -i PATH=/usr/bin:/bin su -s /bin/sh root -c 'echo "LANG=$LANG"' 2>&1)"
  # Where a setting of the user's that cannot be loaded came from: not from
  # the session, where it does not set it (an ssh client's LC_CTYPE=UTF-8).
  user_setting() {  # what, standard error, the program's environment...
    expect_eq "$1" "$2" "$(isolated "$scratch/etc" "" env -i "${@:3}" "$program" </dev/null 2>&1 >/dev/null)"
  }
  user_setting "an ssh client's LC_CTYPE" "$(unloadable_unset ssh LC_CTYPE=UTF-8)" \
    LANG=ja_JP.UTF-8 LC_CTYPE=UTF-8 "${session[@]}"
  # sshd goes on where pam_env fails, as login does not: without what it
  # would have set, and without forwarding where the session could not be
  # opened whole.
  system_case "an unclosed \${ in an ssh session" 127 127 \
    "locale-report: /etc/pam.d/sshd: pam_env.so user_readenv=1 envfile=/etc/default/locale: $says: Unterminated expandable variable: <\${LC_TIME>
locale-report: /etc/pam.d/sshd: pam_env.so user_readenv=1 envfile=/etc/default/locale: pam_env fails (Critical error - immediate abort): new ssh sessions go on without these variables, and without forwarding" \
    SSH "${came_by_ssh[@]}" "$conf=LANG DEFAULT=\${LC_TIME\n"
  system_case "outside ssh: login's stack" 1046 1046 "" "${came_by_ssh[@]}"
  user_setting "an LC_CTYPE of the user's own" "$(unloadable_unset "" LC_CTYPE=UTF-8)" \
    LANG=pt_BR.UTF-8 LC_CTYPE=UTF-8
  system_case "an LC_CTYPE of the system's" 127 127 "$(unloadable_default "$default_line" LC_CTYPE=UTF-8)" \
    "$default=LANG=pt_BR.UTF-8\nLC_CTYPE=UTF-8\n"
  user_setting "an LC_CTYPE of the system's, in the environment" \
    "$(unloadable LC_CTYPE=UTF-8); new sessions get it from $default_line
$(unloadable_default "$default_line" LC_CTYPE=UTF-8)" LANG=pt_BR.UTF-8 LC_CTYPE=UTF-8
  local without="the system lines show sessions without it"
  system_case "a script others may change" 1031 1031 \
    "locale-report: /etc/$lang: not run, since others than root may change it or a directory above it: $without" \
    "$default=LANG=de_DE.UTF-8\n" "$lang=export LANG=ja_JP.UTF-8\n" "RUN=chmod 666 $lang"
  local start=$SECONDS
  system_case "a script that hangs" 1031 1031 "locale-report: /etc/$lang: did not end within a second: $without" \
    "$default=LANG=de_DE.UTF-8\n" "$lang=export LANG=ja_JP.UTF-8\nsleep 30\n"
  [ $((SECONDS - start)) -le 5 ] && pass || fail "a script that hangs is stopped within seconds"
  system_case "a script that fails" 1031 1031 "locale-report: /etc/$lang: failed with exit status 124: $without" \
    "$default=LANG=de_DE.UTF-8\n" "$lang=export LANG=ja_JP.UTF-8\nexit 124\n"
  # A script that fails between two that do not, the last of which leaves
  # more than a pipe holds.
  system_case "scripts that leave much, around one that fails" 1036 1036 \
    "locale-report: /etc/$lang: failed with exit status 3: $without" "$default=LANG=de_DE.UTF-8\n" \
    "profile.d/01-locale-fix.sh=export LANG=fr_FR.UTF-8\n" "$lang=exit 3\n" \
    "profile.d/locale.sh=export BIG=$(head -c 70000 /dev/zero | tr '\0' x)\n"
  system_case "a locale in /etc/profile" 127 127 \
    "locale-report: /etc/profile: sets LC_ALL in a line login shells run, which the report does not: login shells may get another locale" \
    "RUN=printf 'LC_ALL=C sort </dev/null\\n  export LANGUAGE\\n[ -n \"\$x\" ] && export LC_ALL=en_US.UTF-8 # x\\n' >>profile"
  local bytes
  bytes=$(every_byte)
  system_case "a binary file" 127 127 "$garbage '\\x01\\x02\\x03\\x04\\x05\\x06\\x07\\x08\\x09' in /etc/default/locale', ignoring
$garbage '\\x0B\\x0C\\x0D\\x0E\\x0F\\x10\\x11\\x12\\x13\\x14\\x15\\x16\\x17\\x18\\x19\\x1A\\x1B\\x1C\\x1D\\x1E\\x1F !\\x22' in /etc/default/locale', ignoring" "$default=$(for _ in $(seq 400); do printf '%s' "$bytes"; done | sed 's/\\/\\\\/g')"
  system_case "10 MB of comments, then the setting" 1046 1046 "" \
    "$default=$(yes '# nothing to see here, just a comment line of some length' | head -c 10485760)\nLANG=pt_BR\n"
  # What a misconfigured or hostile system must not make of the report: no
  # wait past seconds, no process left, nothing of another user's run as
  # root, nothing in the system log.
  system_case "a NUL in a profile line" 127 127 "" "RUN=printf 'echo \$LANG\\0\\n' >>profile"
  local user_line='/etc/pam.d/login: pam_env.so user_readenv=1'
  start=$SECONDS
  system_case "a FIFO at ~/.pam_environment" 127 127 \
    "locale-report: $user_line: did not end within 2 seconds: the system lines show C, since what new sessions get is not known" \
    "pam.d/login=session required pam_env.so user_readenv=1\n" "RUN=mkdir home && mkfifo home/.pam_environment" "BIND=home:$home"
  [ $((SECONDS - start)) -le 4 ] && pass || fail "a FIFO at ~/.pam_environment: ends within seconds"
  local nine=
  for _ in $(seq 8); do nine+='session optional pam_env.so conffile=/dev/null readenv=0\n'; done
  nine+='session required pam_env.so envfile=/etc/default/locale\n'
  session_case "a 9th pam_env line" 1036 1036 "" "$default=LANG=fr_FR.UTF-8\n" "pam.d/login=$nine" "SU=$nine"
  # Programs of the PATH pam_env sets, the shell's start-up variables, a
  # link into a directory of another user's and /etc open to all.
  local evil=$scratch/evil program_name
  rm -rf "$evil" && mkdir -p "$evil"
  for program_name in env timeout locale sh bash; do
    printf '#!/bin/sh\ntouch %s/ran\n' "$evil" >"$evil/$program_name" && chmod 755 "$evil/$program_name"
  done
  system_case "a PATH in /etc/environment" 1041 1041 "" "$env=PATH=$evil:/usr/bin:/bin\n" \
    "$lang=locale >/dev/null 2>&1; export LANG=ja_JP.UTF-8\n"
  system_case "BASH_ENV, SHELLOPTS and PS4 in /etc/environment" 1031 1031 "" \
    "$env=BASH_ENV=$evil/start.sh\nSHELLOPTS=xtrace\nPS4=\$(touch $evil/ran)\nLD_PRELOAD=$evil/no.so\n" \
    "RUN=printf 'touch $evil/ran; export LANG=fr_FR.UTF-8\n' >$evil/start.sh" \
    "$default=LANG=de_DE.UTF-8\n" "$lang=export LANG\n"
  [ ! -e "$evil/ran" ] && pass || fail "no program of pam_env's PATH or the shell's start-up variables runs"
  local not_run="not run, since others than root may change it or a directory above it: $without"
  system_case "a script linked into another user's directory" 1031 1031 "locale-report: /etc/$lang: $not_run" \
    "$default=LANG=de_DE.UTF-8\n" "RUN=mkdir -p $evil/theirs && printf 'export LANG=ja_JP.UTF-8\n' >$evil/theirs/lang.sh &&
      chown -R 65534 $evil/theirs && ln -s $evil/theirs/lang.sh $lang"
  system_case "/etc open to all" 1031 1031 "locale-report: /etc/$lang: $not_run" \
    "$default=LANG=de_DE.UTF-8\n" "$lang=export LANG=ja_JP.UTF-8\n" "RUN=chmod 777 ."
  # Sleeps of this run's own length, which no other run has.
  local nap=$$
  system_case "a script that leaves processes" 1041 1041 "" \
    "$lang=export LANG=ja_JP.UTF-8\nsleep 1234$nap &\n/usr/bin/setsid sleep 1235$nap &\n"
  system_case "a script that leaves processes and hangs" 1031 1031 \
    "locale-report: /etc/$lang: did not end within a second: $without" "$default=LANG=de_DE.UTF-8\n" \
    "$lang=export LANG=ja_JP.UTF-8\n/usr/bin/setsid sleep 1236$nap &\nsleep 1237$nap\n"
  expect_eq "no process of a script is left" "" "$(pgrep -f "sleep 123[4-7]$nap")"
  # What the caller started before the report is the report's child too,
  # and not its to end.
  sh -c "sleep 1238$nap & exec \"\$@\"" - env -i LC_ALL=de_DE.UTF-8 "$program" </dev/null >/dev/null 2>&1
  expect_eq "a process the caller left is left alone" 1 "$(pgrep -fc "sleep 1238$nap")"
  pkill -f "sleep 1238$nap"
  system_case "SIGCHLD ignored by the caller" 1041 1041 "" "CHLD=ignored" "$lang=export LANG=ja_JP.UTF-8\n"
  # A closed standard descriptor is never the next file opened (the system
  # log's socket, as pam_env speaks where there is no /etc/environment):
  # no wait on it, and a report that cannot be written is an error.
  local closed says_missing
  copy_etc "$scratch/etc" && rm "$scratch/etc/$env"
  says_missing=$(pam_env_says "$env_line")
  for closed in "<&-:0:report:$says_missing" ">&-:1::$says_missing
locale-report: write error: Bad file descriptor" "2>&-:0:report:"; do
    IFS=: read -r redirect code printed expected <<<"$closed"
    expected=${closed#*:*:*:}
    isolated "$scratch/etc" "" sh -c "exec \"\$@\" $redirect" - env -i LC_ALL=de_DE.UTF-8 "$program" \
      >"$scratch/out" 2>"$scratch/err" </dev/null
    expect_eq "$redirect: status" "$code" "$?"
    expect_eq "$redirect: the report" "$([ -z "$printed" ] || report 127 1031 127 1031 65001)" "$(<"$scratch/out")"
    expect_eq "$redirect: standard error" "$expected" "$(<"$scratch/err")"
  done
  # Nothing reaches the system log, where pam_env has much to say: a
  # listener on /dev/log of a private /dev hears a probe, then the run.
  copy_etc "$scratch/etc" && rm "$scratch/etc/$env"
  printf 'LANG DEFAULT=@{NO_SUCH_ITEM}\n' >"$scratch/etc/$conf"
  printf 'session required pam_env.so user_readenv=1\nsession required pam_env.so bad_option\n' >"$scratch/etc/pam.d/login"
  local heard
  heard=$(isolated "$scratch/etc" "" sh -c 'mount -t tmpfs none /dev && mknod -m 666 /dev/null c 1 3 && exec "$@"' - \
    perl -MSocket -MIO::Select -e '
      socket(my $s, PF_UNIX, SOCK_DGRAM, 0) or die "no socket: $!\n";
      bind($s, pack_sockaddr_un("/dev/log")) or die "no listener: $!\n";
      my $select = IO::Select->new($s);
      sub heard { my $n = 0; while ($select->can_read($_[0])) { recv($s, my $m, 8192, 0); $n++ } $n }
      system("logger", "-u", "/dev/log", "-d", "probe");
      my $probe = heard(0.5);
      system(@ARGV);
      print "probe $probe, run ", heard(0.5), "\n"' env -i LC_ALL=de_DE.UTF-8 "$program" 2>&1 </dev/null)
  expect_eq "nothing in the system log" "probe 1, run 0" "${heard##*$'\n'}"

  # The caller's LOCPATH is not a new session's.
  mkdir -p "$scratch/locpath" && localedef -i de_DE -f UTF-8 "$scratch/locpath/de_XX.UTF-8" >/dev/null 2>&1
  if [ -e "$scratch/locpath/de_XX.UTF-8/LC_CTYPE" ]; then
    system_case "a locale only the caller's LOCPATH has" 127 127 \
      "$(unloadable_default "$default_line" LANG=de_XX.UTF-8)" "LOCPATH=$scratch/locpath" "$default=LANG=de_XX.UTF-8\n"
  else
    echo "a locale only the caller's LOCPATH has: skipped, localedef cannot make one here"
  fi

  # A locale file that exists but cannot be read as a login reads it: what
  # pam_env says of it is told, and the lines are C. A FIFO would hold pam_env
  # for ever: the report stops asking within seconds, and names the line.
  # pam_env reads a directory as an empty file.
  local usable nobody_program nobody_login wanted
  nobody_program=$(for_others "$program" "$scratch/others") ||
    { echo "files unreadable to the user: skipped, $nobody_program"; return; }
  nobody_login=$(for_others "$pam_login" "$scratch/others") ||
    { echo "files unreadable to the user: skipped, $nobody_login"; return; }
  for usable in "a directory:" \
    "a FIFO:$default_line: did not end within 2 seconds: the system lines show C, since what new sessions get is not known" \
    "mode 0600, read as nobody,:SAYS"; do
    copy_etc "$scratch/etc" && rm "$scratch/etc/$default"
    case $usable in
      a\ directory*) mkdir "$scratch/etc/$default" ;;
      a\ FIFO*) mkfifo "$scratch/etc/$default" ;;
      *) printf 'LANG=fr_FR\n' >"$scratch/etc/$default" && chmod 600 "$scratch/etc/$default" ;;
    esac
    start=$SECONDS
    isolated "$scratch/etc" "" setpriv --reuid=65534 --regid=65534 --clear-groups \
      env -i LC_ALL=de_DE.UTF-8 "$nobody_program" >"$scratch/out" 2>"$scratch/err" </dev/null
    expect_eq "${usable%%:*} for a file: status" 0 "$?"
    [ $((SECONDS - start)) -le 4 ] && pass || fail "${usable%%:*} for a file: ends within seconds"
    expect_eq "${usable%%:*} for a file" "$(report 127 1031 127 1031 65001)" "$(<"$scratch/out")"
    wanted=${usable#*:}
    [ "$wanted" != SAYS ] || wanted=$(pam_env_says "$default_line" "$nobody_login" nobody)
    expect_eq "${usable%%:*} for a file: standard error" "${wanted#locale-report: }" \
      "$(sed 's/^locale-report: //' "$scratch/err")"
  done
}

# Names from the C library's alias table (locale.alias) are reported as the
# locales they stand for, as it loads them: for every two-field entry of the
# machine's own table whose target is installed, the alias gives the target's
# report.
group_aliases() {
  require_locales
  local table=/usr/share/locale/locale.alias alias target expected count=0
  [ -r "$table" ] || skip "$table is missing (Debian: locales)"
  while read -r -u 3 alias target; do
    loadable "$target" || continue
    target_cannot_load "$target" && continue
    run LC_ALL="$target" </dev/null
    expected=$out
    user_lines "$scratch/out"
    [ "${user_lines%%$'\n'*}" != "GetUserDefaultLCID: 0x0000007F (127)" ] ||
      { fail "LC_ALL=$target is loaded, not taken for C"; continue; }
    run LC_ALL="$alias" </dev/null
    expect_eq "LC_ALL=$alias stands for $target" "$expected" "$out"
    count=$((count + 1))
  done 3< <(awk '$1 !~ /^#/ && NF == 2 { print $1, $2 }' "$table")
  echo "$count aliases with their target installed"
  [ "$count" -gt 0 ] && pass || fail "no alias of $table has its target installed"

  # Interface languages go through the table too, installed or not.
  if grep -Eq '^norwegian[[:space:]]+nb_NO' "$table"; then
    run LC_ALL=de_DE.UTF-8 LANGUAGE=norwegian:de
    expect_user "LANGUAGE=norwegian" 1031 1044 65001
  fi
}

# The rules of the alias table, held against the C library itself: in a
# private mount namespace, /usr/share/locale is a scratch directory with a
# table of our own, and for each name the C library must load the locale the
# row names ("C" for none), and the report must show that locale, on the
# system lines (the name from a system locale file of our own) and on the
# user lines (the name as LC_ALL). Then tables no one should have to read.
group_alias_file() {
  can_isolate
  require_locales
  local etc=$scratch/etc share=$scratch/share
  table() {  # content, as printf %b takes it
    rm -rf "${share:?}" && mkdir -p "$share" && printf '%b' "$1" >"$share/locale.alias"
  }
  run_with() {  # the system locale file's LANG, then the program's environment
    copy_etc "$etc" && printf 'LANG=%s\n' "$1" >"$etc/default/locale"
    shift
    isolated "$etc" "$share" env -i LOCPATH="$locpath" "$@" "$program" </dev/null 2>&1
    echo "status $?"
  }
  loaded() {  # name: what the C library loads for it, as locale(1) describes it
    isolated "$etc" "$share" env -i LOCPATH="$locpath" LC_ALL="$1" locale -k title charmap 2>/dev/null
  }
  reported() {  # the report run_with gives for these values, as report takes them
    report "$@"
    echo "status 0"
  }
  # A name that loads nothing is "C" for new sessions too, and said so.
  none() {  # name
    unloadable_default "$(pam_env_line 2)" "LANG=$1"
    reported 127 127 127 127 20127
  }
  alias_case() {  # what, name, the locale the C library loads for it
    local expected
    local why
    why=$(target_cannot_load "$3") && { echo "$1: $why"; return; }
    expect_eq "$1: the C library loads $3" "$(loaded "$3")" "$(loaded "$2")"
    if [ "$3" = C ]; then
      expected=$(unloadable_unset "" "LC_ALL=$2"; none "$2")
    else
      expected=$(run_with "$3" LC_ALL="$3")
    fi
    expect_eq "$1: the report" "$expected" "$(run_with "$2" LC_ALL="$2")"
  }

  table '# a comment\n\n  Deutsch\tde_DE.UTF-8   more fields\nkorean.euc ko_KR.eucKR\n'\
'one two\ntwo fr_FR.UTF-8\ntwice it_IT.UTF-8\ntwice es_ES.UTF-8\nspace\t \t pt_BR.UTF-8\r\n'
  alias_case "an alias" deutsch de_DE.UTF-8
  alias_case "case ignored" DEUTSCH de_DE.UTF-8
  alias_case "a codeset is part of the alias" korean.euc ko_KR.eucKR
  alias_case "no codeset is stripped" korean C
  alias_case "one expansion only" one C
  alias_case "of two entries, the one the search meets" twice es_ES.UTF-8
  alias_case "blanks of any kind" space pt_BR.UTF-8
  alias_case "the table is this one" german C

  # Damaged lines: cut at 399 bytes, or by a NUL byte, which also hides the
  # line after.
  table "zzalias$(printf '%*s' 387 '')de_DE.UTF-8\ncutalias$(printf '%*s' 390 '')fr_FR.UTF-8\n"
  alias_case "a target cut at 399 bytes" zzalias de_DE
  alias_case "a target cut to nothing" cutalias C
  table 'german de_DE.UTF-8\0 junk\nfrench fr_FR.UTF-8\nitalian it_IT.UTF-8\n'
  alias_case "a NUL after the target" german de_DE.UTF-8
  alias_case "the line after a NUL" french C
  alias_case "the line after that" italian it_IT.UTF-8

  table "$(head -c 1048576 /dev/zero | tr '\0' x)\ndeutsch de_DE.UTF-8\n"
  alias_case "a line of 1 MB, then the entry" deutsch de_DE.UTF-8
  local bytes
  bytes=$(every_byte | sed 's/\\/\\\\/g')
  table "$(for _ in $(seq 400); do printf '%s' "$bytes"; done)\ndeutsch de_DE.UTF-8\n"
  alias_case "a binary file, then the entry" deutsch de_DE.UTF-8
  table "$(yes '# nothing to see here, just a comment line of some length' | head -c 10485760)\ndeutsch de_DE.UTF-8\n"
  local start=$SECONDS
  expect_eq "10 MB of comments, then the entry" "$(reported 1031 127 1031 127 20127)" \
    "$(run_with deutsch LC_ALL=C)"
  [ $((SECONDS - start)) -le 2 ] && pass || fail "10 MB read in at most 2 seconds"

  # Tables that are not files have no entry. The C library itself waits on a
  # FIFO or /dev/zero in the table's place whenever it looks a name up there,
  # so those two can only be shown in C, where nothing opens the table.
  rm -rf "${share:?}" && mkdir -p "$share"
  expect_eq "no table" "$(none deutsch)" "$(run_with deutsch LC_ALL=C)"
  mkdir "$share/locale.alias"
  expect_eq "a directory for the table" "$(none deutsch)" "$(run_with deutsch LC_ALL=C)"
  rmdir "$share/locale.alias" && mkfifo "$share/locale.alias"
  expect_eq "a FIFO for the table, all in C: nothing opens it" "$(reported 127 127 127 127 20127)" \
    "$(run_with C LC_ALL=C)"
  rm "$share/locale.alias" && ln -s /dev/zero "$share/locale.alias"
  expect_eq "/dev/zero for the table, all in C: nothing opens it" "$(reported 127 127 127 127 20127)" \
    "$(run_with C LC_ALL=C)"

  # The interface language from LANGUAGE, through our table.
  table 'twice it_IT\n'
  expect_eq "LANGUAGE through the table" "$(reported 127 1031 127 1040 65001)" \
    "$(run_with C LC_ALL=de_DE.UTF-8 LANGUAGE=twice:de)"
}

"group_$group"
finish
