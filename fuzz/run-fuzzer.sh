#!/usr/bin/env bash
# Runs one fuzz target for a bounded time:
#   run-fuzzer.sh FUZZER SEED-CORPUS SECONDS
# New inputs go to a scratch directory, so the committed seeds stay as they are.
# Inputs of up to 4 KiB hold lines longer than the readers take (399 bytes
# of the alias table, 1023 of the locale file, 4095 of a PAM stack).
set -uo pipefail
fuzzer=$1
seeds=$2
seconds=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# libFuzzer stops at the first whole second past -max_total_time, and takes
# 0 for no limit: one second less, and never 0, runs SECONDS.
limit=$((seconds > 1 ? seconds - 1 : 1))
"$fuzzer" -max_total_time="$limit" -print_final_stats=1 -max_len=4096 -artifact_prefix="$scratch/" \
  "$scratch" "$seeds" >"$scratch/log" 2>&1
status=$?
grep -E '^(stat::number_of_executed_units|stat::new_units_added|#[0-9]+ +DONE)' "$scratch/log"
if [ "$status" -ne 0 ]; then
  tail -n 40 "$scratch/log"
  for crash in "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-*; do
    [ -e "$crash" ] && { echo "input:"; od -c "$crash" | head -n 20; }
  done
fi
exit "$status"
