#!/usr/bin/env bash
# Compiles every locale glibc supports into DIR (for LOCPATH), so the tests
# need neither root nor a change to the system. Locales already there are
# kept. Exits 77 (skipped) where localedef or glibc's locale sources are missing.
set -euo pipefail
dir=$1
supported=/usr/share/i18n/SUPPORTED
if ! command -v localedef >/dev/null || [ ! -r "$supported" ]; then
  echo "skipped: localedef or $supported is missing (Debian package 'locales')"
  exit 77
fi
mkdir -p "$dir"

build() {
  local name=$1 charmap=$2 dir=$3
  [ -e "$dir/$name/LC_CTYPE" ] && return 0
  # "sr_RS.UTF-8@latin" is built from the source "sr_RS@latin".
  local source=${name%%.*}
  case $name in *@*) source=${source%%@*}@${name#*@} ;; esac
  localedef --no-archive -i "$source" -f "$charmap" "$dir/$name.tmp" 2>/dev/null ||
    { echo "localedef failed for $name" >&2; return 1; }
  rm -rf "$dir/$name" && mv "$dir/$name.tmp" "$dir/$name"
}
export -f build
grep -v '^#' "$supported" | xargs -P "$(nproc)" -L 1 bash -c 'build "$1" "$2" "$0"' "$dir" 2>&1 |
  sed 's/^bash: //'
count=$(find "$dir" -mindepth 1 -maxdepth 1 -type d ! -name '*.tmp' | wc -l)
echo "$count locales in $dir"
