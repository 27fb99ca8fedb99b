# Shared by the project's scripts and the shell tests: paths, the build trees
# (Windows, sanitized, native, release) and Wine.
# Sourced, not run.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
windows_dir="$root/build/windows"
native_dir="$root/build/native"
sanitize_dir="$root/build/sanitize"

export WINEPREFIX="$root/build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installers while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The Windows tree: notremovable.exe and the test helpers, cross-built.
build_windows() {
  cmake -S "$root" -B "$windows_dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
    -DNOTREMOVABLE_TESTS=ON >/dev/null
  cmake --build "$windows_dir"
}

# A release tree in DIR (clean if DIR is new), packed by CPack; prints the ZIP's path.
package_release() {
  local dir=$1
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" >/dev/null
  cmake --build "$dir" >/dev/null
  (cd "$dir" && cpack -B "$dir/package" >/dev/null)
  ls "$dir"/package/notremovable-*-win32.zip
}

# The sanitized tree: clang with ASan and UBSan, the unit tests and the fuzz targets.
build_sanitize() {
  cmake -S "$root" -B "$sanitize_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ -DNOTREMOVABLE_TESTS=ON \
    -DNOTREMOVABLE_SANITIZE=ON -DNOTREMOVABLE_FUZZ=ON >/dev/null
  cmake --build "$sanitize_dir"
}

# The native tree, where ctest runs everything: the logic's unit tests, and
# what the two other trees built (the exe under Wine, its binary, the
# sanitized tests and the fuzz targets).
build_native() {
  cmake -S "$root" -B "$native_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DNOTREMOVABLE_TESTS=ON -DNOTREMOVABLE_WINDOWS_DIR="$windows_dir" \
    -DNOTREMOVABLE_SANITIZE_DIR="$sanitize_dir" >/dev/null
  cmake --build "$native_dir"
}

# Keeps one wineserver alive for the caller's run, so that each Wine call
# does not start its own; stop_wine stops it only if this call started it.
wine_server_pid=""
start_wine() {
  mkdir -p "$WINEPREFIX"
  wineserver -f -p >/dev/null 2>&1 </dev/null &
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

# HKEY_LOCAL_MACHINE\...\DeviceOverrides, the subtree that the program writes to.
overrides_key='HKLM\SYSTEM\CurrentControlSet\Control\DeviceOverrides'
