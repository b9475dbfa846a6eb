// The built Uninstall.exe: what it imports and which resources it carries.
#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "res/resource.h"

namespace {

// Mapped as an image, so every RVA is an offset from the base; the low bits only mark the
// mapping as a resource one.
const HMODULE exe = LoadLibraryExW(UNINSTALL_EXE, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
const BYTE* const base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(exe) & ~3);
const IMAGE_NT_HEADERS32& Headers() {
    return *reinterpret_cast<const IMAGE_NT_HEADERS32*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

} // namespace

// The family's installer is 32-bit, and so is its uninstaller: it sees the same views. On a
// Remote Desktop server the Windows folder it asks for is then the system's, not the user's.
TEST(Image, IsAnX86ProgramAwareOfTerminalServers) {
    EXPECT_EQ(Headers().FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(Headers().OptionalHeader.DllCharacteristics &
                IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
}

// Only DLLs the loader takes from the system itself, never from the program's folder, before any
// code of ours runs: the KnownDLLs of every Windows from Vista to 11, and the common controls,
// which the manifest names.
TEST(Image, ImportsOnlyKnownDllsAndTheManifestsControls) {
    static const std::set<std::string> known = {
        "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",  "imagehlp.dll",
        "imm32.dll",    "kernel32.dll", "msctf.dll",    "msvcrt.dll", "normaliz.dll",
        "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",  "rpcrt4.dll",
        "setupapi.dll", "shell32.dll",  "shlwapi.dll",  "user32.dll", "wldap32.dll",
        "ws2_32.dll"};
    const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        base + Headers().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    int dlls = 0;
    for (; import->Name; ++import, ++dlls) {
        std::string dll = reinterpret_cast<const char*>(base + import->Name);
        CharLowerA(dll.data());
        EXPECT_TRUE(known.count(dll)) << dll;
    }
    EXPECT_GT(dlls, 3);
}

TEST(Image, ManifestRequestsRightsArchitectureControlsAndSystemDpiAwareness) {
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), RT_MANIFEST);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                               SizeofResource(exe, found));
    for (const char* entry :
         {"level=\"requireAdministrator\" uiAccess=\"false\"", "processorArchitecture=\"x86\"",
          "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "WindowsSettings\">true</dpiAware>", "WindowsSettings\">system</dpiAwareness>"})
        EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
}

TEST(Image, CarriesEveryResourceThePagesUse) {
    for (int dialog : {IDD_UNINSTALL, IDD_PROGRESS, IDD_COMPLETE})
        EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(dialog), RT_DIALOG), nullptr) << dialog;
    EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON), nullptr);
    EXPECT_NE(
        FindResourceW(exe, MAKEINTRESOURCEW(IDR_BANNER_JPEG), MAKEINTRESOURCEW(RT_BANNER_JPEG)),
        nullptr);
}
