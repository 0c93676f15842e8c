#!/usr/bin/env bash
# Installs the build into scratch prefixes and checks that exactly the
# program, its manual page and its documents land, where a prefix and
# DESTDIR say, with the build's own CMake: check-install.sh BUILD-DIR CMAKE
set -uo pipefail
source "$(dirname "$0")/expect.sh"
build=$1
cmake=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

installed() {  # directory: its files, relative to it
  (cd "$1" && find . ! -type d | sed 's|^\./||' | sort)
}
files="bin/locale-report
share/doc/locale-report/README.md
share/doc/locale-report/changelog.gz
share/doc/locale-report/copyright
share/man/man1/locale-report.1.gz"

"$cmake" --install "$build" --prefix "$scratch/local" >/dev/null || fail "cmake --install --prefix"
expect_eq "--prefix: files" "$files" "$(installed "$scratch/local")"
DESTDIR=$scratch/stage "$cmake" --install "$build" --prefix /usr >/dev/null || fail "cmake --install with DESTDIR"
expect_eq "DESTDIR: files" "$(sed 's|^|usr/|' <<<"$files")" "$(installed "$scratch/stage")"

read -ra emulator <<<"${LOCALE_REPORT_EMULATOR:-}"
expect_eq "the installed program" 9 \
  "$(env -i LC_ALL=C "${emulator[@]}" "$scratch/local/bin/locale-report" </dev/null | wc -l)"
if command -v man >/dev/null; then
  page=$(MANPAGER=cat MANWIDTH=80 man -M "$scratch/local/share/man" locale-report 2>&1)
  grep -q '^NAME' <<<"$page" && pass || fail "man -M PREFIX/share/man locale-report" "$page"
fi
finish
