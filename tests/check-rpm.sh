#!/usr/bin/env bash
# Makes the RPM package with the build's own CPack and checks it: the files,
# the fields, what it requires, rpmlint's view, and that it installs into a
# scratch root, where its program prints what the build tree's does (under
# LOCALE_REPORT_EMULATOR in a cross build).
#   check-rpm.sh BUILD-DIR PROGRAM VERSION CPACK ARCHITECTURE
# 77 (skipped) where rpmbuild, rpm or rpmlint is missing.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
build=$1
program=$2
version=$3
cpack=$4
architecture=$5
read -ra emulator <<<"${LOCALE_REPORT_EMULATOR:-}"
for tool in rpmbuild rpm rpmlint; do
  command -v "$tool" >/dev/null || skip "$tool (Debian: ${tool/rpmbuild/rpm}) is not installed"
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && "$cpack" -G RPM >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
package=$build/locale-report-$version-1.$architecture.rpm
[ -f "$package" ] && pass || { fail "the package is named $(basename "$package")"; cat "$scratch/cpack.log"; finish; }
(cd "$build" && sha256sum -c --quiet "$(basename "$package").sha256") && pass ||
  fail "the checksum beside the package"

expect_eq "files" "/usr/bin/locale-report
/usr/share/doc/locale-report
/usr/share/doc/locale-report/README.md
/usr/share/licenses/locale-report
/usr/share/licenses/locale-report/LICENSE
/usr/share/man/man1/locale-report.1.gz" "$(rpm -qpl "$package" 2>/dev/null)"
expect_eq "name, licence, architecture, summary" \
  "locale-report MIT $architecture Show how locale and code pages are set up" \
  "$(rpm -qp --qf '%{NAME} %{LICENSE} %{ARCH} %{SUMMARY}' "$package" 2>/dev/null)"
# What rpm found the program needs: the C library, at the newest version
# the program takes a symbol of (the downloads' ceiling is glibc_ceiling's).
requires=$(rpm -qpR "$package" 2>/dev/null)
grep -q '^libc\.so\.6' <<<"$requires" && pass || fail "it requires the C library" "$requires"
newest() { grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n 1; }

# rpmlint as the RPM distributions configure it; its one warning that remains
# is its own fault (rpmlint 2.4 files a manual page under its section, not
# its name).
lint=$(rpmlint -c "$(dirname "$0")/../packaging/rpmlint.toml" "$package" 2>&1)
grep -q ' 0 errors' <<<"$lint" && pass || fail "rpmlint: no errors" "$lint"
expect_eq "rpmlint's warnings" "W: no-url-tag
W: no-manual-page-for-binary locale-report" "$(sed -n 's/^locale-report[^ ]*: \(W: .*\)$/\1/p' <<<"$lint")"

# A root with nothing else in it has no C library package for the package
# to require, and the aarch64 one is installed on x86_64 here: it goes in
# without those two checks.
rpm --root "$scratch/root" --initdb &&
  rpm --root "$scratch/root" -i --nodeps --ignorearch "$package" 2>"$scratch/rpm.log" && pass ||
  fail "rpm --root DIR -i" "$(<"$scratch/rpm.log")"
for file in usr/bin/locale-report usr/share/man/man1/locale-report.1.gz usr/share/licenses/locale-report/LICENSE; do
  [ -s "$scratch/root/$file" ] && pass || fail "installed: /$file"
done
expect_eq "the newest glibc it requires" "$(readelf --dyn-syms -W "$scratch/root/usr/bin/locale-report" | newest)" \
  "$(newest <<<"$requires")"
expect_eq "the installed program" "$(env -i LC_ALL=C "$program" </dev/null)" \
  "$(env -i LC_ALL=C "${emulator[@]}" "$scratch/root/usr/bin/locale-report" </dev/null)"
finish
