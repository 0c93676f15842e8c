#!/usr/bin/env bash
# Checks that the program carries the hardening distributions build their
# packages with: hardening-check finds nothing missing but control-flow
# integrity, which it cannot show on Debian 12 (its C start files carry no
# control-flow marks, so the linker drops them from every program); and, so
# that -fcf-protection cannot drop silently, on x86-64 every object file of
# the project's own carries the marks.
#   check-hardening.sh PROGRAM PROCESSOR OBJECT...
set -uo pipefail
source "$(dirname "$0")/expect.sh"
program=$1
processor=$2
shift 2
command -v hardening-check >/dev/null || skip "hardening-check (Debian: devscripts) is not installed"

report=$(hardening-check "$program")
echo "$report"
expect_eq "nothing missing but control-flow integrity" "" \
  "$(grep ': no' <<<"$report" | grep -v '^ *Control flow integrity:')"
for protection in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
  "Read-only relocations" "Immediate binding"; do
  grep -q "^ *$protection: yes" <<<"$report" && pass || fail "$protection: yes"
done
if [ "$processor" = x86_64 ]; then
  for object in "$@"; do
    readelf -n "$object" | grep -q 'x86 feature: IBT, SHSTK' && pass || fail "IBT and SHSTK in $object"
  done
fi
finish
