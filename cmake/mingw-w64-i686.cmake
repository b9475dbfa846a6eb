# Cross-compiles for 32-bit (x86) Windows with Debian's MinGW-w64 (posix threads): the
# family's installer is 32-bit, so its folders and registry keys are the 32-bit views.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
