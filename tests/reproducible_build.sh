#!/usr/bin/env bash
# Two builds of notremovable.exe from clean trees must give the same bytes.
# Usage: reproducible_build.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work=$2
for tree in a b; do
  rm -rf "$work/$tree"
  cmake -S "$source_dir" -B "$work/$tree" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/i686-w64-mingw32.cmake" >/dev/null
  cmake --build "$work/$tree" --target notremovable >/dev/null
done
sha256sum "$work"/{a,b}/notremovable.exe
cmp "$work/a/notremovable.exe" "$work/b/notremovable.exe"
