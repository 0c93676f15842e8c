#!/usr/bin/env bash
# Makes every locale glibc supports (or only the NAMEs given) loadable with
# LOCPATH=DIR, so the tests need neither root nor a change to the system:
#   build-locales.sh DIR [NAME...]
# glibc looks in LOCPATH first and then in its own locale directory, where
# Debian's locales-all and `localedef --no-archive` put them; a locale found
# there with the codeset its name promises is used as it is. Only the others
# are compiled into DIR, and kept for later runs. (Locales in glibc's archive,
# locale-gen's default, are invisible once LOCPATH is set, so they count as
# missing.) Exits 77 (skipped) where locales are missing and localedef or
# glibc's locale sources are not there to compile them.
set -euo pipefail
dir=$1
shift
supported=/usr/share/i18n/SUPPORTED
if [ ! -r "$supported" ]; then
  echo "skipped: $supported is missing (Debian package 'locales')"
  exit 77
fi
mkdir -p "$dir"

# "name charmap" lines, all of them or the ones asked for.
wanted=$(grep -v '^#' "$supported")
if [ $# -gt 0 ]; then
  wanted=$(awk 'NR == FNR { want[$0] = 1; next } $1 in want' <(printf '%s\n' "$@") - <<<"$wanted")
  [ "$(grep -c . <<<"$wanted")" -eq $# ] || { echo "not all of $* are in $supported" >&2; exit 1; }
fi

# Every preset's tests start here, side by side at times: one run checks
# and the others wait for it, and a check that passed stands until the
# locales asked for, the C library or either locale directory changes.
exec 9>"$dir/.lock"
flock 9
key=$( { printf '%s\n' "$wanted"; getconf GNU_LIBC_VERSION
  ls -l --full-time /usr/lib/locale "$dir" 2>/dev/null; } | sha256sum)
stamp=$dir/.checked-${key:0:16}
if [ -e "$stamp" ]; then
  echo "$(wc -l <<<"$wanted") locales loadable, as checked before"
  exit 0
fi

# True when glibc loads the locale from DIR or its own directory, with the
# codeset of its charmap: a name that fell back to "C" does not count.
loadable() {  # name charmap dir
  [ "$(LOCPATH=$3 LC_ALL=$1 locale charmap 2>&1)" == "$2" ]
}
missing=$(while read -r name charmap; do
  loadable "$name" "$charmap" "$dir" || printf '%s %s\n' "$name" "$charmap"
done <<<"$wanted")

if [ -n "$missing" ]; then
  if ! command -v localedef >/dev/null || [ ! -d /usr/share/i18n/locales ]; then
    echo "skipped: $(wc -l <<<"$missing") locales are missing and localedef or glibc's locale sources" \
      "are not installed (Debian: locales-all has them all compiled; locales can compile them)"
    exit 77
  fi
  build() {  # name charmap dir
    local name=$1 charmap=$2 dir=$3
    # "sr_RS.UTF-8@latin" is built from the source "sr_RS@latin".
    local source=${name%%.*}
    case $name in *@*) source=${source%%@*}@${name#*@} ;; esac
    localedef --no-archive -i "$source" -f "$charmap" "$dir/$name.tmp" 2>/dev/null ||
      { echo "localedef failed for $name" >&2; return 1; }
    rm -rf "${dir:?}/$name" && mv "$dir/$name.tmp" "$dir/$name"
  }
  export -f build
  xargs -P "$(nproc)" -L 1 bash -c 'build "$1" "$2" "$0"' "$dir" <<<"$missing" 2>&1 | sed 's/^bash: //'
fi

# What was compiled must now load as it should.
failed=0
compiled=0
if [ -n "$missing" ]; then
  compiled=$(wc -l <<<"$missing")
  while read -r name charmap; do
    loadable "$name" "$charmap" "$dir" || { echo "not loadable: $name ($charmap)" >&2; failed=1; }
  done <<<"$missing"
fi
echo "$(wc -l <<<"$wanted") locales loadable: $compiled compiled into $dir, the rest from the system"
[ "$failed" -ne 0 ] || : >"$stamp"
exit "$failed"
