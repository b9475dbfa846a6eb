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

if tools/host-32bit; then runs32=1; else
    status=$?
    [ $status = 1 ] || exit $status
    runs32=0
fi

# The presets of CMakePresets.json: x86 builds in build/, x64 in build-x64/ and checks the
# x86 build's Uninstall.exe.
cmake --preset x86 >/dev/null
failed=0
if [ $runs32 = 1 ]; then
    cmake --build --preset x86 -j "$(nproc)"
    ctest --preset x86 || failed=1
else
    cmake --build --preset x86 -j "$(nproc)" --target Uninstall
fi

cmake --preset x64 >/dev/null
cmake --build --preset x64 -j "$(nproc)"
ctest --preset x64 || failed=1

if [ $runs32 = 1 ]; then
    echo "Builds run: the 32-bit suite (64-bit and 32-bit prefixes) and the 64-bit suite."
else
    echo "Builds run: the 64-bit suite only. This host runs no 32-bit code: the shipped 32-bit" \
        "Uninstall.exe was built and its file checked (program_test), but not run, and the" \
        "32-bit prefix's test (wizard_test_win32) was skipped."
fi
exit $failed
