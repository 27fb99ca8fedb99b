# Shared by the project's scripts and the shell tests: paths, the build trees
# (Windows, sanitized, native, release) from their presets, and Wine.
# Sourced, not run.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
windows_dir="$root/build/windows"
windows64_dir="$root/build/windows64"
sanitize_dir="$root/build/sanitize"

export WINEDEBUG=-all
# No Mono or Gecko installers while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine passes non-ASCII file names only under a UTF-8 locale; its ANSI code
# page is then 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# Whether this host runs 32-bit x86 code, asked once by starting the smallest
# 32-bit x86 Linux program (it only exits 0), and the answer kept for the
# scripts and tests started from here. Some kernels run none (their 32-bit
# emulation is off): Wine's 32-bit half cannot start there, but its 64-bit
# half runs. NOTREMOVABLE_NO_32BIT=1 answers "no" on any host.
runs_32bit_code() {
  if [ -z "${NOTREMOVABLE_HOST_RUNS_32BIT:-}" ]; then
    NOTREMOVABLE_HOST_RUNS_32BIT=no
    if [ "${NOTREMOVABLE_NO_32BIT:-}" != 1 ]; then
      # ELF header (32-bit, i386, entry 0x8048054), one program header that
      # loads the file, and the code: exit(0) through int 0x80.
      local elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
      elf+='\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00'
      elf+='\x00\x00\x00\x00\x00\x00'
      elf+='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00'
      elf+='\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
      elf+='\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
      # In the build tree: /tmp may forbid running programs.
      local probe="$root/build/probe-32bit-$$"
      mkdir -p "$root/build" && printf "$elf" >"$probe" && chmod +x "$probe" &&
        "$probe" 2>/dev/null && NOTREMOVABLE_HOST_RUNS_32BIT=yes
      rm -f "$probe"
    fi
    export NOTREMOVABLE_HOST_RUNS_32BIT
  fi
  [ "$NOTREMOVABLE_HOST_RUNS_32BIT" = yes ]
}

# Why this host runs no 32-bit program, and what runs instead: one line.
no_32bit_reason() {
  if [ "${NOTREMOVABLE_NO_32BIT:-}" = 1 ]; then
    echo "NOTREMOVABLE_NO_32BIT=1 treats this host as one that runs no 32-bit x86 code"
  else
    echo "this host runs no 32-bit x86 code (its kernel's 32-bit emulation is off)"
  fi
}
say_no_32bit() {  # WHAT_RUNS_INSTEAD
  echo "notremovable: $(no_32bit_reason): $1" >&2
}

# Chooses the Wine prefix and the build whose programs run in it: win32 (the
# 32-bit exe on 32-bit Windows), win64 (the 32-bit exe under WOW64 on 64-bit
# Windows), or x64 (the x86-64 build on 64-bit Windows, in the same prefix,
# started by Wine's 64-bit loader, which runs where no 32-bit code does).
# native_reg is that Windows' own reg, the native registry view: the 64-bit
# one on 64-bit Windows.
wine64_loader=/usr/lib/wine/wine64
# By its full path: Wine starts a bare name through start.exe, a second
# program that searches for it.
system_reg='C:\windows\system32\reg.exe'
use_prefix() {
  unset WINELOADER
  wine_loader=(wine)
  case $1 in
    win32) export WINEARCH=win32 WINEPREFIX="$root/build/wineprefix"; native_reg=(wine "$system_reg") ;;
    win64) export WINEARCH=win64 WINEPREFIX="$root/build/wineprefix64"; native_reg=(wine64 "$system_reg") ;;
    x64) export WINEARCH=win64 WINEPREFIX="$root/build/wineprefix64" WINELOADER=$wine64_loader
         wine_loader=("$wine64_loader"); native_reg=(wine64 "$system_reg") ;;
    *) echo "unknown Wine prefix kind: $1" >&2; return 1 ;;
  esac
  prefix_kind=$1
}
# Wine as the chosen prefix starts programs (Debian's wine starts its 32-bit
# loader first, whatever the program), and Wine's 64-bit loader. Neither
# holds the prefix's lock (below): the services a Wine program starts may
# outlive the script that took it.
# Where wine_call_log names a file, each call's status and arguments go there,
# for a failure to tell what Wine did.
wine_lock=""
wine_call_log=""
wine() { without_lock "${wine_loader[@]}" "$@"; }
wine64() { without_lock "$wine64_loader" "$@"; }
without_lock() {
  local status=0
  if [ -n "$wine_lock" ]; then command "$@" {wine_lock}>&- || status=$?; else command "$@" || status=$?; fi
  [ -z "$wine_call_log" ] || printf 'status %s: %s\n' "$status" "$*" >>"$wine_call_log"
  return "$status"
}

# Debian's Wine has no preloader to keep room for what every Windows process
# maps at fixed addresses: its 64-bit loader lies at 0x7d000000, and the heap
# the kernel starts at a random offset above it may grow over the shared user
# data page at 0x7ffe0000. The program then cannot start: status 1, silent
# under WINEDEBUG=-all, about once in a thousand starts. Without address
# randomization (inherited by every program started from here) the heap
# starts right above the loader, always with room to spare. The caller is
# run again so, once.
fix_wine_layout() {  # SCRIPT ARGS...
  local no_randomize=0x0040000
  if (( 0x$(cat /proc/self/personality) & no_randomize )) || ! setarch "$(uname -m)" -R true 2>/dev/null; then
    return 0
  fi
  exec setarch "$(uname -m)" -R bash "$@"
}

# Wine finds the prefix's wineserver anew at every start: through
# /run/user/UID/wine where that folder exists at that moment, else through
# $TMPDIR. Should either change midway (a login of the same user makes or
# removes /run/user/UID; a cleaner empties /tmp), the next Wine program
# silently starts a second server on the same prefix, and the two save over
# each other. So both are pinned for the whole run: TMPDIR to a folder of the
# build tree, and /run/user behind an empty tmpfs in the run's own mount
# namespace, where the host lets it make one (the caller is then run again
# there, once: pin_wine_lookup "$0" "$@" before anything else).
pin_wine_lookup() {  # SCRIPT ARGS...
  fix_wine_layout "$@"
  export TMPDIR="$root/build/wine-tmp"
  mkdir -p "$TMPDIR"
  if [ -z "${NOTREMOVABLE_WINE_PINNED:-}" ]; then
    export NOTREMOVABLE_WINE_PINNED=1
    mkdir -p /run/user 2>/dev/null || true
    if unshare --mount --propagation private mount -t tmpfs -o mode=755 none /run/user 2>/dev/null; then
      exec unshare --mount --propagation private \
        bash -c 'mount -t tmpfs -o mode=755 none /run/user && exec bash "$@"' pin "$@"
    fi
  fi
}
use_prefix win32

# The programs this host can run: the 32-bit ones on 32-bit Windows where it
# runs 32-bit code, else the x86-64 build on 64-bit Windows. Says which in
# one line where it is the latter.
use_host_programs() {  # WHAT_RUNS_INSTEAD
  if runs_32bit_code; then
    use_prefix win32
    windows_dir="$root/build/windows"
  else
    say_no_32bit "$1"
    use_prefix x64
    windows_dir="$root/build/windows64"
  fi
}

# Configures and builds a tree from its preset in CMakePresets.json (windows,
# sanitize, native), quietly but for what the build says.
build_preset() {
  (cd "$root" && cmake --preset "$1" >/dev/null && cmake --build --preset "$1")
}
build_windows() { build_preset windows; }
build_windows64() { build_preset windows64; }
# The tree whose programs the chosen prefix runs (see use_host_programs).
build_host_programs() { if [ "$prefix_kind" = x64 ]; then build_windows64; else build_windows; fi; }
build_sanitize() { build_preset sanitize; }
# The native tree, where ctest runs everything: the unit tests, and what the
# two other trees built (the exe under Wine, its binary, the sanitized tests
# and the fuzz targets).
build_native() { build_preset native; }

# The programs a release ships.
release_programs=(notremovable notremovable-check)

# A release tree in DIR (clean if DIR is new), from the release preset, packed
# by CPack; prints the ZIP's path. A command given after DIR is run on each
# built program's path and each of the fleet kit's PowerShell scripts before
# the checksums and the ZIP are made (the release signs them there).
package_release() {
  local dir=$1 program file signed=()
  shift
  (cd "$root" && cmake --preset release -B "$dir" >/dev/null)
  cmake --build "$dir" --target "${release_programs[@]}" deploy_kit >/dev/null
  if [ $# -gt 0 ]; then
    for program in "${release_programs[@]}"; do
      signed+=("$dir/$program.exe")
    done
    while IFS= read -r file; do
      signed+=("$dir/$file")
    done < <(cd "$dir" && find deploy -name '*.ps1' | LC_ALL=C sort)
    for file in "${signed[@]}"; do
      "$@" "$file" || return 1
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
  if [ "$prefix_kind" != x64 ] && ! runs_32bit_code; then
    echo "wine: cannot run the 32-bit programs in $WINEPREFIX: $(no_32bit_reason)" >&2
    return 1
  fi
  mkdir -p "$WINEPREFIX"
  exec {wine_lock}>"$WINEPREFIX.lock"
  flock "$wine_lock"
  wineserver -f -p >/dev/null 2>&1 </dev/null {wine_lock}>&- &
  local pid=$!
  sleep 0.3
  if kill -0 "$pid" 2>/dev/null; then
    wine_server_pid=$pid
  fi
  # A new prefix takes a few seconds and about 600 MB, once: the first Wine
  # program sets it up (an explicit "wineboot -i" would set it up again, its
  # services restarting while the run goes on).
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    local status=0
    wine cmd /c exit 0 >/dev/null 2>&1 || status=$?
    if [ "$status" != 0 ]; then
      echo "wine: could not create the prefix $WINEPREFIX (status $status)" >&2
      return 1
    fi
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

# The DeviceOverrides key as reg lists it (with /s: and all below it) into
# FILE, carriage returns and all: status 0 where it stands, 1 where reg says
# that it does not, 2 where reg failed otherwise (FILE then holds what it said).
# reg's words go to a file, never to a pipe: the services a Wine program starts
# outlive it, and would hold the pipe open.
overrides_query() {  # FILE [/s]
  local status=0
  "${native_reg[@]}" query "$overrides_key" ${2:-} >"$1" 2>&1 </dev/null || status=$?
  if [ "$status" = 0 ]; then
    return 0
  elif [ "$status" = 1 ] && [ "$(tr -d '\r' <"$1")" = "reg: Unable to find the specified registry key" ]; then
    return 1
  fi
  return 2
}

# A clean slate for one run under Wine: no device overrides, and DIR laid anew
# with the Windows tree's exe in it at EXE (default DIR/notremovable.exe; EXE
# may lie in folders below DIR, or elsewhere). Where an override is left, or
# reg cannot tell, it says what reg said, and fails: a run on it would be
# judged on another's keys.
fresh_exe_folder() {
  local dir=$1 exe=${2:-$1/notremovable.exe} status=0
  mkdir -p "$(dirname "$dir")" || return 1
  "${native_reg[@]}" delete "$overrides_key" /f >"$dir.reg" 2>&1 </dev/null || true  # the query tells
  overrides_query "$dir.query" || status=$?
  if [ "$status" != 1 ]; then
    echo "the overrides left by an earlier run cannot be deleted (reg query: status $status): reg said:" \
      "$(cat "$dir.reg" "$dir.query" | tr -d '\r')" >&2
    rm -f "$dir.reg" "$dir.query"
    return 1
  fi
  rm -f "$dir.reg" "$dir.query"
  rm -rf "$dir" && mkdir -p "$dir" "$(dirname "$exe")" &&
    cp "$windows_dir/notremovable.exe" "$exe"
}
