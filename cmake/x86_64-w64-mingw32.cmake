# Cross-build for x86-64 Windows: a test build, for hosts that run no 32-bit code.
set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
