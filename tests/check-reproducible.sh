#!/usr/bin/env bash
# Builds the last commit twice, from clones in different directories and at
# different times, and checks that the downloads come out byte for byte the
# same: the Linux program and its .deb, and the Windows program and its zip
# where MinGW-w64 is installed. check-reproducible.sh SOURCE-DIR
set -uo pipefail
source "$(dirname "$0")/expect.sh"
source_dir=$1
git -C "$source_dir" rev-parse HEAD >/dev/null 2>&1 || skip "$source_dir is not a git checkout"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

presets=(default)
if command -v i686-w64-mingw32-g++-posix >/dev/null; then
  presets+=(windows)
else
  echo "the Windows program is not checked: i686-w64-mingw32-g++-posix (Debian: g++-mingw-w64-i686) is not installed"
fi

build() {  # directory
  git clone -q "$source_dir" "$1" || return 1
  local preset
  for preset in "${presets[@]}"; do
    (cd "$1" && cmake --preset "$preset" -DBUILD_TESTING=OFF &&
      cmake --build --preset "$preset" --target package) >"$1.log" 2>&1 || { cat "$1.log"; return 1; }
  done
}
# Zip files keep time to two seconds: the second build starts well after.
build "$scratch/first" || fail "the first build"
sleep 3
build "$scratch/second/with/a/longer/path" || fail "the second build"

outputs=(build/default/locale-report)
outputs+=("build/default/$(cd "$scratch/first" && ls build/default/*.deb | sed 's|.*/||')")
if [ ${#presets[@]} -eq 2 ]; then
  outputs+=(build/windows/locale-report.exe
    "build/windows/$(cd "$scratch/first" && ls build/windows/*.zip | sed 's|.*/||')")
fi
for output in "${outputs[@]}"; do
  if cmp -s "$scratch/first/$output" "$scratch/second/with/a/longer/path/$output"; then
    pass
    echo "identical: $output ($(stat -c %s "$scratch/first/$output") bytes)"
  else
    fail "identical: $output" "$(cmp "$scratch/first/$output" "$scratch/second/with/a/longer/path/$output" 2>&1)"
  fi
done
finish
