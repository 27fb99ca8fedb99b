#!/usr/bin/env bash
# scripts/setup against stand-ins for the package tools, on a machine where
# nothing is installed and the package index is caught mid-sync: it installs
# with the base release's candidates where the lists it has mix suites, and
# stops with one line where a package cannot be had at all.
# Usage: setup_test.sh WORK_DIR
set -uo pipefail
work=$1
source "$(dirname "$0")/../scripts/lib/common.sh"
source "$root/tests/checks.sh"
release=$(. /etc/os-release && echo "$VERSION_CODENAME")

rm -rf "$work" && mkdir -p "$work/bin"
stand_in() {  # NAME BODY
  printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"
}
stand_in dpkg-query 'exit 1'  # nothing is installed
stand_in dpkg 'echo "dpkg $*" >>"$CALLS"; [ "$1" != --print-foreign-architectures ] || echo i386'
stand_in sudo 'exec "$@"'
# The index update fails as a mirror mid-sync makes it fail. An install takes
# the base release's candidates (-t RELEASE) or the newest, as SCENARIO says:
# mixed, where only the former installs; missing, where a package is nowhere.
stand_in apt-get '
echo "apt-get $*" >>"$CALLS"
case $1 in
  indextargets) [[ $* == *REPO_URI* ]] && echo "'"$release"' http://mirror.invalid/debian/" || echo "'"$release"'" ;;
  update) echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/'"$release"'-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"; exit 100 ;;
  install) [ "$SCENARIO" = mixed ] && [[ " $* " == *" -t '"$release"' "* ]] && exit 0
           [ "$SCENARIO" = mixed ] && { echo "E: Unable to correct problems, you have held broken packages."; exit 100; }
           echo "E: Unable to locate package wine32:i386"; exit 100 ;;
esac'

run_setup() {  # SCENARIO
  : >"$work/calls"
  rm -f "$work"/*.sources
  SCENARIO=$1 CALLS="$work/calls" NOTREMOVABLE_APT_SOURCES_DIR="$work" PATH="$work/bin:$PATH" \
    "$root/scripts/setup" >"$work/out" 2>"$work/err"
}

run_setup mixed
check "mid-sync: setup succeeds" test $? = 0
check "mid-sync: every package installed with the base release's candidates" \
  grep -qx "apt-get install -y -qq --no-install-recommends -t $release cmake .* wine wine32:i386 wine64" "$work/calls"
signer_from_backports() {
  grep -qx "apt-get install .* osslsigncode/$release-backports .*" "$work/calls" &&
    [ "$(sed -n 's/^\(URIs\|Suites\): //p' "$work/$release-backports.sources" | tr '\n' ' ')" = \
      "http://mirror.invalid/debian/ $release-backports " ]
}
check "mid-sync: osslsigncode from the backports, their source added on the base release's mirror" signer_from_backports
check "mid-sync: one line says the index was stale" test "$(wc -l <"$work/err")-$(grep -c 'did not update' "$work/err")" = 1-1

run_setup missing
check "missing package: setup fails" not test $? = 0
check "missing package: one line, which names the package" \
  test "$(wc -l <"$work/err")-$(grep -c '^setup: cannot install .*: E: Unable to locate package wine32:i386$' "$work/err")" = 1-1
check "missing package: nothing on stdout" test ! -s "$work/out"

report setup
