# shellcheck shell=bash
# Checks shared by the end-to-end scripts, which source this file. Each script
# ends with `finish`, which prints the tally and gives the exit status.
passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  printf 'FAIL: %s\n' "$1"
  [ $# -gt 1 ] && printf '%s\n' "$2"
}
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass; else fail "$1" "$(diff <(printf '%s\n' "$2") <(printf '%s\n' "$3"))"; fi
}
# Exit status 77 tells ctest the test was skipped.
skip() {
  echo "skipped: $*"
  exit 77
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
