#!/usr/bin/env bash
# Checks that the Windows program runs on a clean Windows with nothing beside
# it: a console program of the given format (pei-i386, pei-x86-64) that
# imports only KERNEL32.dll and msvcrt.dll, with all eight locale queries
# bound by name, and small.
# usage: check-windows-program.sh PROGRAM OBJDUMP FORMAT
set -uo pipefail
program=$1
objdump=$2
format=$3
failed=0
check() {  # what, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=1; fi
}

headers=$("$objdump" -f -p "$program") || { echo "FAIL: $objdump cannot read $program"; exit 1; }
check "$format" grep -q "file format $format\$" <<<"$headers"
check "console subsystem" grep -q 'Subsystem.*(Windows CUI)' <<<"$headers"
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | sort | tr '\n' ' ')
check "imports only KERNEL32.dll and msvcrt.dll (has: $dlls)" test "$dlls" == "KERNEL32.dll msvcrt.dll "
for query in GetSystemDefaultLCID GetUserDefaultLCID GetSystemDefaultLangID GetUserDefaultLangID \
  GetSystemDefaultUILanguage GetUserDefaultUILanguage GetACP GetOEMCP; do
  check "imports $query by name" grep -Eq "^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+$query\$" <<<"$headers"
done
size=$(stat -c %s "$program")
check "at most 64 KiB ($size bytes)" test "$size" -le 65536
exit "$failed"
