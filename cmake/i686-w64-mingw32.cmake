# Cross-build for 32-bit x86 Windows: the programs as they ship.
set(mingw_triple i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
