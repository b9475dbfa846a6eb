// The built Uninstall.exe: what it imports and which resources it carries.
#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "res/resource.h"

namespace {

std::string Resource(HMODULE module, LPCWSTR type, int id) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return found ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

} // namespace

TEST(Image, ImportsOnlySystemDllsAndCarriesManifestPagesIconAndBanner) {
    // Mapped as an image, so every RVA is an offset from the base; the low bits only mark
    // the mapping as a resource one.
    HMODULE exe = LoadLibraryExW(UNINSTALL_EXE, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(exe) & ~3);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    // The family's installer is 32-bit, and so is its uninstaller: it sees the same views.
    ASSERT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                          "comctl32.dll", "shell32.dll",  "ole32.dll",
                                          "oleaut32.dll", "advapi32.dll", "msvcrt.dll"};
    int dlls = 0;
    for (; import->Name; ++import, ++dlls) {
        std::string dll = reinterpret_cast<const char*>(base + import->Name);
        CharLowerA(dll.data());
        EXPECT_TRUE(system.count(dll)) << dll << " is not a system DLL";
    }
    EXPECT_GT(dlls, 3);

    const std::string manifest = Resource(exe, RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""),
              std::string::npos);
    EXPECT_NE(manifest.find("processorArchitecture=\"x86\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    for (int dialog : {IDD_UNINSTALL, IDD_PROGRESS, IDD_COMPLETE})
        EXPECT_FALSE(Resource(exe, RT_DIALOG, dialog).empty()) << dialog;
    EXPECT_FALSE(Resource(exe, RT_GROUP_ICON, IDI_APP).empty());
    EXPECT_FALSE(Resource(exe, RT_BITMAP, IDB_BANNER).empty());
    // Its picture is decoded by the banner test, from the same resource object.
    EXPECT_EQ(Resource(exe, MAKEINTRESOURCEW(RT_BANNER_JPEG), IDR_BANNER_JPEG).substr(0, 3),
              "\xFF\xD8\xFF");
    FreeLibrary(exe);
}
