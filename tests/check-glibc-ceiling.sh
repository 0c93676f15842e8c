#!/usr/bin/env bash
# Checks that a program takes no symbol of glibc newer than 2.17, the oldest
# glibc the downloads are for: check-glibc-ceiling.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/expect.sh"
versions=$(readelf --dyn-syms -W "$1" | grep -o 'GLIBC_[0-9.]*' | sed 's/^GLIBC_//' | sort -uV)
echo "glibc versions taken: $(tr '\n' ' ' <<<"$versions")"
[ -n "$versions" ] && pass || fail "it takes glibc's symbols at all"
expect_eq "the newest is at most 2.17" 2.17 "$(printf '%s\n' "$versions" 2.17 | sort -V | tail -n 1)"
finish
