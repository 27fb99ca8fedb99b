#!/usr/bin/env bash
# clang-tidy (checks in .clang-tidy) and cppcheck over src/, as the Windows
# build sees it: zero findings from either.
# Usage: static_analysis.sh SOURCE_DIR
set -uo pipefail
src=$1/src

# clang reads the MinGW headers, C++ library included, from the cross-compiler's own search list.
includes=()
while read -r dir; do
  includes+=(-isystem "$dir")
done < <(i686-w64-mingw32-g++-win32 -E -x c++ - -v </dev/null 2>&1 |
         sed -n '/<...> search starts/,/End of/p' | sed -n 's/^ //p')

failed=0
clang-tidy --quiet "$src"/*.cpp -- --target=i686-w64-mingw32 -nostdinc -nostdinc++ "${includes[@]}" \
  -std=c++17 -I"$src" -DWIN32_LEAN_AND_MEAN -DNOMINMAX 2> >(grep -v "warnings generated" >&2) || failed=1
cppcheck --quiet --std=c++17 --platform=win32A --enable=warning,style,performance,portability \
  --suppress=missingIncludeSystem --error-exitcode=1 -I"$src" "$src" || failed=1
exit $failed
