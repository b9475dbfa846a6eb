// The built Uninstall.exe: what it imports, which resources it carries, and that it runs.
#include <windows.h>
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/app/wizard_driver.h"

namespace {

std::vector<char> ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

template <typename T> const T* At(const std::vector<char>& image, size_t offset) {
    return offset + sizeof(T) <= image.size() ? reinterpret_cast<const T*>(&image[offset])
                                              : nullptr;
}

// The DLL names of the import directory, read from the file's own headers.
std::vector<std::string> ImportedDlls(const std::vector<char>& image) {
    std::vector<std::string> names;
    const auto* dos = At<IMAGE_DOS_HEADER>(image, 0);
    const auto* nt =
        dos ? At<IMAGE_NT_HEADERS64>(image, static_cast<size_t>(dos->e_lfanew)) : nullptr;
    if (!nt)
        return names;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        reinterpret_cast<const char*>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const auto& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return image.size();
    };
    const DWORD importRva =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (size_t at = fileOffset(importRva);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(image, at);
        if (!entry || entry->Name == 0)
            break;
        const size_t name = fileOffset(entry->Name);
        if (name < image.size())
            names.emplace_back(&image[name]);
    }
    return names;
}

std::string Resource(HMODULE module, LPCWSTR type, int id) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found)
        return {};
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(bytes, SizeofResource(module, found));
}

SIZE DecodedSize(const std::string& jpeg) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, jpeg.size());
    memcpy(GlobalLock(block), jpeg.data(), jpeg.size());
    GlobalUnlock(block);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(block, TRUE, &stream);
    IPicture* picture = nullptr;
    SIZE size{};
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(jpeg.size()), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture)))) {
        OLE_HANDLE handle = 0;
        picture->get_Handle(&handle);
        BITMAP info{};
        GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof(info), &info);
        size = {info.bmWidth, info.bmHeight};
        picture->Release();
    }
    stream->Release();
    return size;
}

} // namespace

TEST(Image, ImportsOnlySystemDlls) {
    const std::vector<char> image = ReadAll(WindowsPath(UNINSTALL_EXE));
    const std::vector<std::string> dlls = ImportedDlls(image);
    ASSERT_FALSE(dlls.empty());
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                          "comctl32.dll", "shell32.dll",  "ole32.dll",
                                          "oleaut32.dll", "advapi32.dll", "msvcrt.dll"};
    for (std::string dll : dlls) {
        std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
        EXPECT_TRUE(system.count(dll)) << dll << " is not a system DLL";
    }
}

TEST(Image, CarriesItsManifestPagesIconAndBanner) {
    HMODULE exe = LoadLibraryExW(WindowsPath(UNINSTALL_EXE).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    const std::string manifest = Resource(exe, RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""),
              std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    for (int dialog : {IDD_UNINSTALL, IDD_PROGRESS, IDD_COMPLETE})
        EXPECT_FALSE(Resource(exe, RT_DIALOG, dialog).empty()) << dialog;
    EXPECT_FALSE(Resource(exe, RT_GROUP_ICON, IDI_APP).empty());
    EXPECT_FALSE(Resource(exe, RT_BITMAP, IDB_BANNER).empty());
    const std::string banner = Resource(exe, MAKEINTRESOURCEW(RT_BANNER_JPEG), IDR_BANNER_JPEG);
    ASSERT_FALSE(banner.empty());
    const SIZE size = DecodedSize(banner);
    EXPECT_EQ(size.cx, 160);
    EXPECT_EQ(size.cy, 310);
    FreeLibrary(exe);
}

TEST(Program, ShowsTheWelcomePageAndCancelEndsItWithStatusZero) {
    RunningProgram wizard = RunningProgram::Start(WindowsPath(UNINSTALL_EXE));
    ASSERT_TRUE(wizard.Started());
    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr) << "no window with caption \"Uninstall\" from template 102";
    for (int id : {IDOK, IDCANCEL, IDC_TITLE, IDC_BANNER, IDC_PROMPT, IDC_NOTE, IDC_PUBLISHER,
                   IDC_CONTACT, IDC_EMAIL})
        EXPECT_NE(GetDlgItem(welcome, id), nullptr) << id;
    EXPECT_EQ(ItemText(welcome, IDOK), L"&Next >>");
    Press(welcome, IDCANCEL);
    EXPECT_EQ(wizard.WaitForExit(10000), 0u);
}
