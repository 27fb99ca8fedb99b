#!/usr/bin/env bash
# The release package built twice from clean trees must hold the same exe,
# byte for byte.
# Usage: reproducible_build.sh WORK_DIR
set -euo pipefail
work=$1
source "$(dirname "$0")/../scripts/lib/common.sh"
for tree in a b; do
  rm -rf "${work:?}/$tree"
  package_release "$work/$tree" >/dev/null
done
sha256sum "$work"/{a,b}/notremovable.exe
cmp "$work/a/notremovable.exe" "$work/b/notremovable.exe"
