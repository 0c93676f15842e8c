#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh PROGRAM [ARGS...]
# The loader is $WINE (default: wine; the 64-bit programs need wine64's).
# With WINEPREFIX set, in that prefix; otherwise in a throw-away prefix of its
# own under WINE_RUN_DIR (default: the temporary directory), removed after.
# A prefix that does not exist yet is made first: linked to the ready prefix
# WINE_TEMPLATE where there is one, else by wineboot, which writes some 700 MB.
# A linked prefix gets copies of its own of the files at its top, the
# registry (*.reg) and its time stamp: Wine's server rewrites a registry file
# in place where it has more than one link, which would change the template,
# and every other prefix's registry, under the tests reading them. Standard
# streams and the exit status are the program's. (A plain sh script: bash would complain about the
# Windows locale names Wine takes in LC_ALL.)
export WINEDEBUG=-all
# No .NET or browser engine is needed; not asking for them saves seconds.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=${WINE:-wine}

make_prefix() {
  [ -d "$WINEPREFIX/drive_c" ] && return 0
  mkdir -p "$WINEPREFIX" || return 1
  if [ -d "${WINE_TEMPLATE:-}/drive_c" ]; then
    cp -al "$WINE_TEMPLATE/." "$WINEPREFIX" || return 1
    find "$WINE_TEMPLATE" -maxdepth 1 -type f -exec cp --remove-destination -t "$WINEPREFIX" {} +
  else
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null
  fi
}

if [ -n "${WINEPREFIX:-}" ]; then
  make_prefix || exit 1
  exec "$wine" "$@"
fi
parent=${WINE_RUN_DIR:-${TMPDIR:-/tmp}}
mkdir -p "$parent" || exit 1
WINEPREFIX=$(mktemp -d "$parent/prefix.XXXXXX") || exit 1
export WINEPREFIX
make_prefix || exit 1
"$wine" "$@"
status=$?
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"
exit "$status"
