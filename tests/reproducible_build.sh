#!/usr/bin/env bash
# The release package built twice from clean trees must hold the same
# programs, byte for byte.
# Usage: reproducible_build.sh WORK_DIR
set -euo pipefail
work=$1
source "$(dirname "$0")/../scripts/lib/common.sh"
for tree in a b; do
  rm -rf "${work:?}/$tree"
  package_release "$work/$tree" >/dev/null
done
for program in "${release_programs[@]}"; do
  sha256sum "$work"/{a,b}/"$program.exe"
  cmp "$work/a/$program.exe" "$work/b/$program.exe"
done
