# Cross-compiles the same sources for 64-bit Windows: the stand-in for the 32-bit program on
# hosts that run no 32-bit code. It names the installer's 32-bit views itself.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
