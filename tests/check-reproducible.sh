#!/usr/bin/env bash
# Builds the last commit twice, from clones in different directories and at
# different times, and checks that the downloads come out byte for byte the
# same: the Linux programs for x86_64 and aarch64, each with its .deb, its
# tarball and (where rpmbuild is installed) its .rpm, where clang and lld
# are installed, and the Windows programs and their zips where MinGW-w64 is;
# each download with its checksum file.
#   check-reproducible.sh SOURCE-DIR CMAKE
set -uo pipefail
source "$(dirname "$0")/expect.sh"
source_dir=$1
cmake=$2
command -v git >/dev/null || skip "git (Debian: git) is not installed"
git -C "$source_dir" rev-parse HEAD >/dev/null 2>&1 || skip "$source_dir is not a git checkout"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

presets=()
for cross in "linux-x86_64 ld.lld lld" "linux-arm64 ld.lld lld" \
  "windows i686-w64-mingw32-g++-posix g++-mingw-w64-i686" \
  "windows64 x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64"; do
  read -r preset compiler package <<<"$cross"
  if command -v "$compiler" >/dev/null; then
    presets+=("$preset")
  else
    echo "the $preset preset is not checked: $compiler (Debian: $package) is not installed"
  fi
done

build() {  # directory
  git clone -q "$source_dir" "$1" || return 1
  # Debian 11's sysroot is fetched once, where this checkout has it.
  if [ -d "$source_dir/build/sysroot" ]; then
    mkdir -p "$1/build" && ln -s "$source_dir/build/sysroot" "$1/build/sysroot"
  fi
  local preset
  for preset in "${presets[@]}"; do
    (cd "$1" && "$cmake" --preset "$preset" -DBUILD_TESTING=OFF &&
      "$cmake" --build --preset "$preset" --target package) >"$1.log" 2>&1 || { cat "$1.log"; return 1; }
  done
}
# The two builds run side by side, the second started three seconds after the
# first: zip files keep time to two seconds, so a time stamp of the build's
# own would still differ.
build "$scratch/first" &
first=$!
sleep 3
build "$scratch/second/with/a/longer/path" || fail "the second build"
wait "$first" || fail "the first build"

# Every preset's program, its downloads and their checksums: a Linux
# preset's are five, seven with the .rpm, a Windows one's three.
outputs=$(cd "$scratch/first" && for preset in "${presets[@]}"; do
  ls "build/$preset"/locale-report{,.exe} "build/$preset"/*.{deb,rpm,tar.gz,zip,sha256} 2>/dev/null
done)
expected=0
for preset in "${presets[@]}"; do
  case $preset in
    windows*) expected=$((expected + 3)) ;;
    *) expected=$((expected + $(command -v rpmbuild >/dev/null && echo 7 || echo 5))) ;;
  esac
done
expect_eq "the outputs of each preset" "$expected" "$(grep -c . <<<"$outputs")"
while read -r output; do
  if cmp -s "$scratch/first/$output" "$scratch/second/with/a/longer/path/$output"; then
    pass
    echo "identical: $output ($(stat -c %s "$scratch/first/$output") bytes)"
  else
    fail "identical: $output" "$(cmp "$scratch/first/$output" "$scratch/second/with/a/longer/path/$output" 2>&1)"
  fi
done <<<"$outputs"
finish
