#!/usr/bin/env bash
# Checks the manual page: mandoc has nothing to warn of, and the messages
# the page shows are those the program prints, on a full disk and for a
# locale that cannot be loaded.
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
  env -i LANG=C LC_TIME=en_XX.UTF-8 "$program" </dev/null 2>&1 >/dev/null)
expect_eq "the messages the page shows" "$printed" "$shown"
finish
