#!/usr/bin/env bash
# Reads the version resource and the manifest back out of the Windows
# program: check-windows-resources.sh PROGRAM VERSION
# 77 (skipped) where icoutils' wrestool is missing.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
program=$1
version=$2
command -v wrestool >/dev/null || skip "wrestool (Debian: icoutils) is not installed"

# The version resource (type 16) as 16-bit units, one per line, in decimal.
units=$(wrestool -x --raw -t 16 "$program" | od -An -v -tu2 -w2 | tr -d ' ')
[ -n "$units" ] || { fail "the program has a version resource"; finish; exit; }

# The number after the VS_FIXEDFILEINFO signature (0xFEEF04BD): its file
# version (offset 4) or product version (offset 8), major.minor.patch.build.
fixed_version() {  # offset
  awk -v at="$1" '{ u[NR] = $1 } END {
    for (i = 1; i < NR; i++) if (u[i] == 1213 && u[i + 1] == 65263) break
    j = i + at
    printf "%d.%d.%d.%d", u[j + 1], u[j], u[j + 3], u[j + 2]
  }' <<<"$units"
}
# The value of a string of the resource: keys and values are NUL-terminated
# UTF-16, and the words between them are never printable on both sides, so
# the value is the printable run that follows the key.
string_value() {  # key
  awk -v key="$1" '
    function flush() { if (run != "") { runs[++n] = run; run = "" } }
    { c = $1 + 0; if (c >= 32 && c < 127) run = run sprintf("%c", c); else flush() }
    END { flush(); for (i = 1; i < n; i++) if (runs[i] == key) { print runs[i + 1]; exit } }
  ' <<<"$units"
}

expect_eq "fixed file version" "$version.0" "$(fixed_version 4)"
expect_eq "fixed product version" "$version.0" "$(fixed_version 8)"
expect_eq "FileVersion" "$version" "$(string_value FileVersion)"
expect_eq "ProductVersion" "$version" "$(string_value ProductVersion)"
expect_eq "OriginalFilename" locale-report.exe "$(string_value OriginalFilename)"
expect_eq "ProductName" locale-report "$(string_value ProductName)"
for key in FileDescription LegalCopyright; do
  [ -n "$(string_value "$key")" ] && pass || fail "$key is set"
done

# The manifest (type 24): as the user's rights, every Windows from Vista to
# 11, and no activeCodePage, which would make GetACP answer for this process
# alone instead of for the system.
manifest=$(wrestool -x --raw -t 24 "$program")
grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$manifest" && pass || fail "asInvoker"
expect_eq "supportedOS" "{1f676c76-80e1-4239-95bb-83d0f6d0da78}
{35138b9a-5d96-4fbd-8e2d-a2440225f93a}
{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}
{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}
{e2011457-1546-43c5-a5fe-008deee3d3f0}" "$(grep -o 'supportedOS Id="[^"]*"' <<<"$manifest" | cut -d'"' -f2 | sort)"
grep -Eqi '<([a-z0-9]+:)?activeCodePage' <<<"$manifest" && fail "no activeCodePage" || pass
finish
