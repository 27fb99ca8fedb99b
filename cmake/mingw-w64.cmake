# Cross-build for Windows with the MinGW-w64 compilers for mingw_triple (the
# win32-threads variant, so nothing pulls in winpthread). Included by the
# toolchain file of each target.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${mingw_triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-win32)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
