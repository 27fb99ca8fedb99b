#!/usr/bin/env bash
# Builds the release package from a clean tree, unpacks it and checks that it
# holds exactly the six files and the fleet kit, that their checksums match,
# that the programs keep their promises and that the example settings file,
# the schema, the kit and the README are the project's own.
# Usage: release_package.sh WORK_DIR VERSION
set -uo pipefail
work=$1
version=$2
source "$(dirname "$0")/../scripts/lib/common.sh"

rm -rf "$work"
zip=$(package_release "$work/tree") || exit 1
failed=0
[ "$(basename "$zip")" = "notremovable-$version-win32.zip" ] || { echo "FAILED name: $zip"; failed=1; }
mkdir -p "$work/unpacked" && unzip -q "$zip" -d "$work/unpacked" || exit 1
names=$(cd "$work/unpacked" && find . -mindepth 1 -type f -printf "%P\n" | LC_ALL=C sort | tr '\n' ' ')
kit=$(cd "$root" && git ls-files deploy | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = "README.md SHA256SUMS ${kit}notremovable-check.exe notremovable-check.schema.json notremovable.exe notremovable.ini.example " ] ||
  { echo "FAILED contents: $names"; failed=1; }
(cd "$work/unpacked" && sha256sum --strict -c SHA256SUMS) || failed=1
[ "$(grep -c . "$work/unpacked/SHA256SUMS")" = $(($(wc -w <<<"$names") - 1)) ] ||
  { echo "FAILED: SHA256SUMS must list every other file"; failed=1; }
for file in $kit; do
  cmp "$work/unpacked/$file" "$root/$file" || failed=1
done
cmp "$work/unpacked/notremovable.ini.example" "$root/res/notremovable.ini.example" || failed=1
cmp "$work/unpacked/notremovable-check.schema.json" "$root/res/notremovable-check.schema.json" || failed=1
cmp "$work/unpacked/README.md" "$root/README.md" || failed=1
bash "$root/tests/binary_contract.sh" "$work/unpacked/notremovable.exe" "$version" || failed=1
echo "release_package: $([ $failed -eq 0 ] && echo '1 passed, 0 failed' || echo '0 passed, 1 failed')"
exit $failed
