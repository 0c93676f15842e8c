#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh PROGRAM [ARGS...]
# The loader is $WINE (default: wine; the 64-bit programs need wine64's).
# With WINEPREFIX set, in that prefix; otherwise in a throw-away prefix of its
# own under WINE_RUN_DIR (default: the temporary directory), removed after.
# Standard streams and the exit status are the program's. (A plain sh script:
# bash would complain about the Windows locale names Wine takes in LC_ALL.)
export WINEDEBUG=-all
# No .NET or browser engine is needed; not asking for them saves seconds.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=${WINE:-wine}

if [ -n "${WINEPREFIX:-}" ]; then
  exec "$wine" "$@"
fi
parent=${WINE_RUN_DIR:-${TMPDIR:-/tmp}}
mkdir -p "$parent" || exit 1
WINEPREFIX=$(mktemp -d "$parent/prefix.XXXXXX") || exit 1
export WINEPREFIX
"$wine" wineboot -i >/dev/null 2>&1 </dev/null
"$wine" "$@"
status=$?
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"
exit "$status"
