#!/usr/bin/env bash
# Makes the Debian package with the build's own CPack and checks what is in
# it: check-deb.sh BUILD-DIR PROGRAM VERSION CPACK [ARCHITECTURE]
# The package must hold exactly the stripped program, the compressed manual
# page and the documents, say what it depends on, and its program must print
# what the build tree's does (run under LOCALE_REPORT_EMULATOR in a cross
# build). Its symbols of the C library must be no newer than the version it
# depends on. 77 (skipped) where a tool that making or reading it takes is
# missing.
set -uo pipefail
source "$(dirname "$0")/expect.sh"
build=$1
program=$2
version=$3
cpack=$4
architecture=${5:-$(dpkg --print-architecture)}
read -ra emulator <<<"${LOCALE_REPORT_EMULATOR:-}"
# CPack works out the dependencies with file and dpkg-shlibdeps.
for tool in "dpkg-deb dpkg" "dpkg-shlibdeps dpkg-dev" "file file" "readelf binutils"; do
  read -r command package <<<"$tool"
  command -v "$command" >/dev/null || skip "$command (Debian: $package) is not installed"
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && "$cpack" -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
package=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$scratch/cpack.log")
[ -f "$package" ] || { cat "$scratch/cpack.log"; exit 1; }
expect_eq "file name" "locale-report_${version}_$architecture.deb" "$(basename "$package")"
(cd "$(dirname "$package")" && sha256sum -c --quiet "$(basename "$package").sha256") && pass ||
  fail "the checksum beside the package"

expect_eq "files" "./usr/
./usr/bin/
./usr/bin/locale-report
./usr/share/
./usr/share/doc/
./usr/share/doc/locale-report/
./usr/share/doc/locale-report/README.md
./usr/share/doc/locale-report/changelog.gz
./usr/share/doc/locale-report/copyright
./usr/share/man/
./usr/share/man/man1/
./usr/share/man/man1/locale-report.1.gz" "$(dpkg-deb --fsys-tarfile "$package" | tar -t | sort)"
expect_eq "owners" "root/root" "$(dpkg-deb -c "$package" | awk '{ print $2 }' | sort -u)"

field() { dpkg-deb -f "$package" "$1"; }
expect_eq "Package" locale-report "$(field Package)"
expect_eq "Version" "$version" "$(field Version)"
expect_eq "Section" utils "$(field Section)"
expect_eq "Architecture" "$architecture" "$(field Architecture)"
# Worked out from the program's libraries, so it names the C library.
grep -Eq '^libc6 \(>= [0-9.]+\)' <<<"$(field Depends)" && pass || fail "Depends names libc6: $(field Depends)"

dpkg-deb -x "$package" "$scratch/root"
unpacked=$scratch/root/usr/bin/locale-report
readelf -S "$unpacked" | grep -q '\.symtab' && fail "the program is stripped" || pass
# No symbol of the C library newer than the version depended on.
needed=$(readelf --dyn-syms -W "$unpacked" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -n 1)
depends=$(field Depends | sed -n 's/^libc6 (>= \([0-9.]*\)).*/\1/p')
[ -n "$needed" ] && [ "$(printf '%s\n' "$needed" "$depends" | sort -V | tail -n 1)" = "$depends" ] && pass ||
  fail "the C library's symbols need at most $depends: GLIBC_$needed"
gzip -t "$scratch/root/usr/share/man/man1/locale-report.1.gz" && pass || fail "the manual page is gzip"
for locale in C.UTF-8 C; do
  expect_eq "the unpacked program in $locale" "$(env -i LC_ALL=$locale "$program" </dev/null)" \
    "$(env -i LC_ALL=$locale "${emulator[@]}" "$unpacked" </dev/null)"
done
finish
