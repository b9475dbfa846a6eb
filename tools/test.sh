#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite under Wine.
#
# Where the host runs 32-bit code: the suite as 32-bit programs (the shipped build, in a
# 64-bit prefix under WOW64 and in a 32-bit prefix), then the same suite built as 64-bit
# programs, which name the installer's 32-bit views themselves. Where it runs none (see
# tools/host-32bit; CORVINA_NO_32BIT=1 acts as if): the shipped 32-bit Uninstall.exe is built
# and its file checked, and the suite runs as 64-bit programs only.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps
build=${BUILD_DIR:-build}
build64=$build-x64

if tools/host-32bit; then runs32=1; else
    status=$?
    [ $status = 1 ] || exit $status
    runs32=0
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
failed=0
if [ $runs32 = 1 ]; then
    cmake --build "$build" -j "$(nproc)"
    (cd "$build" && ctest --output-on-failure -j 2) || failed=1
else
    cmake --build "$build" -j "$(nproc)" --target Uninstall
fi

cmake -S . -B "$build64" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DSHIPPED_UNINSTALL_EXE="$(cd "$build" && pwd)/app/Uninstall.exe" >/dev/null
cmake --build "$build64" -j "$(nproc)"
(cd "$build64" && ctest --output-on-failure -j 2) || failed=1

if [ $runs32 = 1 ]; then
    echo "Builds run: the 32-bit suite (64-bit and 32-bit prefixes) and the 64-bit suite."
else
    echo "Builds run: the 64-bit suite only. This host runs no 32-bit code: the shipped 32-bit" \
        "Uninstall.exe was built and its file checked (program_test), but not run, and the" \
        "32-bit prefix's test (wizard_test_win32) was skipped."
fi
exit $failed
