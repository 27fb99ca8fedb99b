#!/usr/bin/env bash
# clang-tidy (checks in .clang-tidy) and cppcheck over src/, as the Windows
# build sees it: zero findings from either; and the tiers' include rule.
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
declare -A below
clang-tidy --quiet "$src"/*/*.cpp -- --target=i686-w64-mingw32 -nostdinc -nostdinc++ "${includes[@]}" \
  -std=c++17 -I"$src" -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DNOTREMOVABLE_VERSION='"0.0.0"' 2> >(grep -v "warnings generated" >&2) || failed=1
cppcheck --quiet --std=c++17 --platform=win32A --enable=warning,style,performance,portability -DNOTREMOVABLE_VERSION='"0.0.0"' \
  --suppress=missingIncludeSystem --error-exitcode=1 -I"$src" "$src" || failed=1

# Each file includes only headers of its own tier and of those below it
# (rules <- win32 <- notremovable, check); a pure file (all of rules/, and in
# check/ all but main.cpp and the *_win32 files) no platform header at all.
below=([rules]="rules" [win32]="rules win32" [notremovable]="rules win32 notremovable" [check]="rules win32 check")
for file in "$src"/*/*.h "$src"/*/*.cpp; do
  tier=$(basename "$(dirname "$file")")
  pure=0
  [[ $tier == rules || ($tier == check && $file != *_win32.* && $file != */main.cpp) ]] && pure=1
  while read -r included; do
    case $included in
      \"*/*\") folder=${included#\"}; folder=${folder%%/*}
               [[ " ${below[$tier]} " == *" $folder "* ]] &&
                 { [ $pure = 0 ] || [[ $folder != win32 && $included != *_win32.h\" ]]; } ;;
      \<*.h\>) [ $pure = 0 ] ;;
      \<*\>) true ;;
      *) false ;;
    esac || { echo "${file#"$1"/}: includes $included, against the tiers"; failed=1; }
  done < <(sed -n 's/^#include \(.*\)$/\1/p' "$file")
done
exit $failed
