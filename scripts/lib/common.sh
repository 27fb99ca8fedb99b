# Shared by the project's scripts and the shell tests: paths, the build trees
# (Windows, sanitized, native, release) from their presets, and Wine.
# Sourced, not run.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
windows_dir="$root/build/windows"
sanitize_dir="$root/build/sanitize"

export WINEDEBUG=-all
# No Mono or Gecko installers while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine passes non-ASCII file names only under a UTF-8 locale; its ANSI code
# page is then 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# Chooses the Wine prefix: win32 (32-bit Windows) or win64 (64-bit Windows,
# where the 32-bit exe runs under WOW64). native_reg is that Windows' own reg,
# the native registry view: the 64-bit one on 64-bit Windows.
use_prefix() {
  export WINEARCH=$1
  case $1 in
    win32) export WINEPREFIX="$root/build/wineprefix"; native_reg=(wine reg) ;;
    win64) export WINEPREFIX="$root/build/wineprefix64"; native_reg=(/usr/lib/wine/wine64 reg) ;;
    *) echo "unknown Wine prefix kind: $1" >&2; return 1 ;;
  esac
}
use_prefix win32

# Configures and builds a tree from its preset in CMakePresets.json (windows,
# sanitize, native), quietly but for what the build says.
build_preset() {
  (cd "$root" && cmake --preset "$1" >/dev/null && cmake --build --preset "$1")
}
build_windows() { build_preset windows; }
build_sanitize() { build_preset sanitize; }
# The native tree, where ctest runs everything: the unit tests, and what the
# two other trees built (the exe under Wine, its binary, the sanitized tests
# and the fuzz targets).
build_native() { build_preset native; }

# The programs a release ships.
release_programs=(notremovable notremovable-check)

# A release tree in DIR (clean if DIR is new), from the release preset, packed
# by CPack; prints the ZIP's path. A command given after DIR is run on each
# built program's path before the checksums and the ZIP are made (the release
# signs them there).
package_release() {
  local dir=$1 program
  shift
  (cd "$root" && cmake --preset release -B "$dir" >/dev/null)
  cmake --build "$dir" --target "${release_programs[@]}" >/dev/null
  if [ $# -gt 0 ]; then
    for program in "${release_programs[@]}"; do
      "$@" "$dir/$program.exe" || return 1
    done
  fi
  cmake --build "$dir" >/dev/null
  (cd "$dir" && cpack -B "$dir/package" >/dev/null)
  ls "$dir"/package/notremovable-*-win32.zip
}

# Keeps one wineserver alive for the caller's run in the chosen prefix, so that
# each Wine call does not start its own; stop_wine stops it only if this call
# started it.
# One script at a time in a prefix: each lays out its own registry state under
# DeviceOverrides and reads it back, so a second one (a test run beside
# ./scripts/run or the bench, or two test runs) would wipe the first's keys
# between its write and its read. The lock is held until the caller exits.
wine_server_pid=""
start_wine() {
  mkdir -p "$WINEPREFIX"
  exec {wine_lock}>"$WINEPREFIX.lock"
  flock "$wine_lock"
  wineserver -f -p >/dev/null 2>&1 </dev/null {wine_lock}>&- &
  local pid=$!
  sleep 0.3
  if kill -0 "$pid" 2>/dev/null; then
    wine_server_pid=$pid
  fi
  # A new prefix takes a few seconds and about 600 MB, once.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
  fi
}

stop_wine() {
  if [ -n "$wine_server_pid" ]; then
    wineserver -k 2>/dev/null || true
    wait "$wine_server_pid" 2>/dev/null || true
    wine_server_pid=""
  fi
}

# The string NAME of the version resource of the program at PATH.
version_string() {  # PATH NAME
  wrestool -x --raw -t 16 -n 1 "$1" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -s '\0' '\n' |
    grep -A1 "$2\$" | tail -n 1
}

# HKEY_LOCAL_MACHINE\...\DeviceOverrides, the subtree that the program writes to.
overrides_key='HKLM\SYSTEM\CurrentControlSet\Control\DeviceOverrides'

# A clean slate for one run under Wine: no device overrides, and DIR laid anew
# with the Windows tree's exe in it at EXE (default DIR/notremovable.exe; EXE
# may lie in folders below DIR, or elsewhere).
fresh_exe_folder() {
  local dir=$1 exe=${2:-$1/notremovable.exe}
  "${native_reg[@]}" delete "$overrides_key" /f >/dev/null 2>&1 || true
  rm -rf "$dir" && mkdir -p "$dir" "$(dirname "$exe")" &&
    cp "$windows_dir/notremovable.exe" "$exe"
}
