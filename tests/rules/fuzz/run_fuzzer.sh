#!/usr/bin/env bash
# Runs one fuzz target for a fixed time from the committed seeds. New corpus
# entries and crash artifacts go to the work folder, never into the repo.
# Usage: run_fuzzer.sh TARGET SEED_DIR WORK_DIR SECONDS
set -euo pipefail
target=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus" "$work/artifacts"
"$target" -max_total_time="$seconds" -max_len=600 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
