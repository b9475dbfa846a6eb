// Files, keys and host commands that several test programs set up in the test prefix.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test {

namespace fs = std::filesystem;

inline const std::wstring kPid = std::to_wstring(GetCurrentProcessId());
inline const std::wstring kProductKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvina";

inline bool Exists(const fs::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

inline std::vector<std::wstring> Entries(const fs::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

inline bool ProductKeyExists(bool create = false) {
    HKEY key;
    const LONG status =
        create ? RegCreateKeyW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), &key)
               : RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), 0, KEY_READ, &key);
    return status == 0 && RegCloseKey(key) == 0;
}

// Sets REG_SZ values of the product key, creating it; {name, value} pairs.
inline void SetProductValues(const std::vector<std::pair<const wchar_t*, std::wstring>>& values) {
    HKEY key;
    if (RegCreateKeyW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), &key) != 0)
        return;
    for (const auto& [name, text] : values)
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// The host's path of a prefix path, quoted for sh.
inline std::wstring Unix(const fs::path& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix(path.c_str());
    const std::wstring text = L"'" + std::wstring(unix, unix + strlen(unix)) + L"'";
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

// Runs a command in the host's shell, for what Wine cannot do itself (make a link, take a
// picture of the screen). Wine cannot wait for a host process, so the command ends by
// writing a marker file, awaited for at most 20 s.
inline void Host(const std::wstring& command) {
    const fs::path marker = fs::temp_directory_path() / (L"host-done-" + kPid);
    std::wstring line = L"Z:\\bin\\sh -c \"" + command + L"; : >" + Unix(marker) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, 0, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (int i = 0; i < 200 && !DeleteFileW(marker.c_str()); ++i)
        Sleep(100);
}

inline void RemoveTree(const fs::path& folder) {
    Host(L"rm -rf " + Unix(folder));
}

} // namespace test
