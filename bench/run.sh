#!/usr/bin/env bash
# Measures one whole run of locale-report against `locale`, the system's own
# locale reporter; the floor, the least a program that asks the installed
# pam_env can do (bench/pam_floor.c); and /bin/true, what any dynamically
# linked program costs to start and end. Prints a Markdown table: instructions counted by callgrind
# (repeatable, unlike time), every process of a run counted, wall time by hyperfine, peak memory by
# GNU time; then what each of the report's processes costs, and the sizes of the Windows programs. Standard input is /dev/null throughout.
# Needs valgrind, hyperfine and time (Debian packages of those names), and cc
# with the PAM headers (libpam0g-dev) for the floor.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default --target locale-report >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# de_DE.UTF-8 as the tests load it (from the system or compiled into the build
# tree); every program gets the same LOCPATH.
locpath=$PWD/build/locales
tests/build-locales.sh "$locpath" de_DE.UTF-8 >/dev/null

# The floor finds pam_env where the report does, beside libpam.
libpam=$(env -i LD_DEBUG=libs build/default/locale-report </dev/null 2>&1 >/dev/null |
  sed -n 's|^.*calling init: \(/.*\)/libpam\.so\.0$|\1|p' | head -n 1)
[ -n "$libpam" ] || { echo "the report loads no libpam here: the floor cannot be built" >&2; exit 1; }
cc -O2 -DSECURITY_DIRECTORY="\"$libpam/security\"" -o "$scratch/pam-floor" bench/pam_floor.c -ldl
programs=("$PWD/build/default/locale-report" "$scratch/pam-floor" "$(command -v locale)" /bin/true)

# Each process callgrind follows (the report's child, what it runs) says
# what it collected; a run is their sum.
collected() {  # locale program
  env -i LOCPATH="$locpath" LC_ALL="$1" valgrind --tool=callgrind --trace-children=yes \
    --callgrind-out-file=/dev/null "$2" </dev/null 2>&1 >/dev/null | sed -n 's/.*Collected : //p'
}
# A forked child starts with its parent's count, so the report's child is
# counted on its own run, for what it does in RunChild, the child's whole
# life; the processes it execs start from nothing, and end before it, and
# it before the report.
instructions() {  # locale program
  local -a counts
  mapfile -t counts < <(collected "$1" "$2")
  local n=${#counts[@]}
  [ "$n" -gt 1 ] || { echo "${counts[0]}"; return; }
  local child
  child=$(env -i LOCPATH="$locpath" LC_ALL="$1" valgrind --tool=callgrind --trace-children=yes \
    --collect-atstart=no --toggle-collect='*RunChild*' --callgrind-out-file=/dev/null "$2" \
    </dev/null 2>&1 >/dev/null | sed -n 's/.*Collected : //p' | awk '{ sum += $1 } END { print sum }')
  printf '%s\n' "${counts[@]:0:n-2}" "${counts[n-1]}" "$child" | awk '{ sum += $1 } END { print sum }'
}
wall_time() {  # locale program; mean ± standard deviation in microseconds
  env -i PATH="$PATH" LOCPATH="$locpath" LC_ALL="$1" \
    hyperfine -N --warmup 50 --runs 1000 --export-csv "$scratch/time.csv" "$2" >/dev/null 2>&1
  awk -F, 'NR == 2 { printf "%.0f ± %.0f µs", $2 * 1e6, $3 * 1e6 }' "$scratch/time.csv"
}
peak_memory() {  # locale program; the largest of several runs, in KiB
  local most=0 kib
  for _ in 1 2 3 4 5; do
    kib=$(env -i LOCPATH="$locpath" LC_ALL="$1" /usr/bin/time -f %M "$2" </dev/null 2>&1 >/dev/null | tail -n 1)
    [ "$kib" -gt "$most" ] && most=$kib
  done
  echo "$most KiB"
}

echo "| environment | program | instructions | share of the floor's | share of locale's | wall time | peak memory |"
echo "|---|---|---:|---:|---:|---:|---:|"
for locale in C.UTF-8 de_DE.UTF-8; do
  floor=$(instructions "$locale" "$scratch/pam-floor")
  reference=$(instructions "$locale" "$(command -v locale)")
  for program in "${programs[@]}"; do
    count=$(instructions "$locale" "$program")
    shares=$(awk -v a="$count" -v f="$floor" -v l="$reference" 'BEGIN { printf "%.3f | %.2f", a / f, a / l }')
    echo "| LC_ALL=$locale | $(basename "$program") | $count | $shares | $(wall_time "$locale" "$program") |" \
      "$(peak_memory "$locale" "$program") |"
  done
done

echo
for locale in C.UTF-8 de_DE.UTF-8; do
  whole=$(instructions "$locale" "${programs[0]}")
  report=$(collected "$locale" "${programs[0]}" | tail -n 1)
  echo "LC_ALL=$locale: of the report's $whole instructions, its own process $report, the child that asks" \
    "the system and what that runs $((whole - report))"
done
echo
for windows in "windows i686-w64-mingw32-g++-posix" "windows64 x86_64-w64-mingw32-g++-posix"; do
  read -r preset compiler <<<"$windows"
  if command -v "$compiler" >/dev/null; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target locale-report >/dev/null
    echo "Windows program ($preset): $(stat -c %s "build/$preset/locale-report.exe") bytes (stripped)"
  else
    echo "Windows program ($preset): not built (no $compiler)"
  fi
done
