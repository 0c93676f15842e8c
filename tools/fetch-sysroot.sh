#!/usr/bin/env bash
# Makes a sysroot of Debian 11's C library and compiler runtime, which the
# Linux downloads are built against: fetch-sysroot.sh ARCH DIR, ARCH being
# amd64 or arm64. Each package packaging/debian11-sysroot.txt lists for ARCH
# is fetched from the Debian archive ($DEBIAN_MIRROR, by default
# http://deb.debian.org/debian), checked against its SHA-256 and unpacked
# with dpkg-deb -x, so that no root is needed. Absolute symbolic links are
# made relative: followed as they stand, they would lead the linker out of
# DIR into this machine's C library. A DIR made from the same list is kept.
set -euo pipefail
arch=$1
dir=$2
list=$(cd "$(dirname "$0")/.." && pwd)/packaging/debian11-sysroot.txt
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
want=$(grep "^$arch " "$list" || true)
[ -n "$want" ] || { echo "$list lists no package for $arch" >&2; exit 1; }
[ "$(cat "$dir/.fetched" 2>/dev/null)" = "$want" ] && exit 0
for tool in "curl curl" "dpkg-deb dpkg" "sha256sum coreutils"; do
  read -r command package <<<"$tool"
  command -v "$command" >/dev/null || { echo "$command (Debian: $package) is needed to fetch Debian 11's packages" >&2; exit 1; }
done

rm -rf "$dir"
mkdir -p "$dir"
downloads=$(mktemp -d)
trap 'rm -rf "$downloads"' EXIT
while read -r _ package version path sha256; do
  deb=$downloads/${path##*/}
  if ! curl -fsS --retry 2 -o "$deb" "$mirror/$path"; then
    echo "$mirror does not serve Debian 11's $package $version ($path). The Linux downloads are built against Debian 11's C library only, never this machine's: where the archive has moved (to http://archive.debian.org/debian, say), set DEBIAN_MIRROR to it." >&2
    exit 1
  fi
  if ! echo "$sha256  $deb" | sha256sum -c --status -; then
    echo "$mirror/$path is not the package $list names: its SHA-256 differs" >&2
    exit 1
  fi
  dpkg-deb -x "$deb" "$dir"
done <<<"$want"
find "$dir" -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
  ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$dir$(readlink "$link")")" "$link"
done
printf '%s\n' "$want" >"$dir/.fetched"
