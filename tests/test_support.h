// Files, keys and host commands that several test programs set up in the test prefix.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace test {

namespace fs = std::filesystem;

inline const std::wstring kPid = std::to_wstring(GetCurrentProcessId());
inline const std::wstring kUninstallKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::wstring kProductKey = kUninstallKey + L"\\Corvina";

// The family's installer is a 32-bit program: on 64-bit Windows its files lie below
// "Program Files (x86)" and its keys in the 32-bit registry view. Tests lay installations
// down there by naming those views outright, never by asking the product where they are.
inline constexpr REGSAM kInstallerView = KEY_WOW64_32KEY;
inline constexpr REGSAM kNativeView = KEY_WOW64_64KEY; // on 32-bit Windows the same view

inline fs::path ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
inline const fs::path kInstallerFiles = ShellFolder(CSIDL_PROGRAM_FILESX86);
inline const fs::path kCommonPrograms = ShellFolder(CSIDL_COMMON_PROGRAMS);

// True on 64-bit Windows, where the native views stand beside the installer's: always in a
// 64-bit process, and in a 32-bit one under WOW64.
inline bool HasTwoViews() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// The native Program Files folder, named alike for 32- and 64-bit callers.
inline fs::path NativeProgramFiles() {
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramW6432", path, MAX_PATH);
    return path;
}

// Polls every 20 ms until the condition holds; false when the time ran out first.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    for (const ULONGLONG end = GetTickCount64() + milliseconds; !condition(); Sleep(20))
        if (GetTickCount64() >= end)
            return false;
    return true;
}

// Wine runs every program elevated, so links go through the desktop's shell, which Wine's
// desktop does not always answer as: it lists itself a moment after its window appears, and
// under load it was seen not to answer for 20 s. An elevated link opened then finds no shell
// and waits behind a message box. True once the desktop answers, as the link opener asks it;
// tests of that path skip when it does not.
inline const char kNoDesktopShell[] = "Wine's desktop did not answer as the shell";
inline bool WaitForDesktopShell() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool ready = WaitUntil(
        [] {
            IShellWindows* windows = nullptr;
            if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                        IID_IShellWindows, reinterpret_cast<void**>(&windows))))
                return false;
            VARIANT empty{}; // VT_EMPTY
            long window = 0;
            IDispatch* desktop = nullptr;
            const bool found = windows->FindWindowSW(&empty, &empty, SWC_DESKTOP, &window,
                                                     SWFO_NEEDDISPATCH, &desktop) == S_OK;
            if (desktop)
                desktop->Release();
            windows->Release();
            return found;
        },
        20000);
    if (SUCCEEDED(com))
        CoUninitialize();
    return ready;
}

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

// The lines of a list box.
inline std::vector<std::wstring> ListLines(HWND list) {
    std::vector<std::wstring> lines;
    for (WPARAM i = 0; i < static_cast<WPARAM>(SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
        wchar_t line[1024] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}

inline bool KeyExists(const std::wstring& path, REGSAM view = kInstallerView) {
    HKEY key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) == 0 &&
           RegCloseKey(key) == 0;
}

// Sets values of a key below HKEY_LOCAL_MACHINE, creating it; {name, text} pairs, REG_SZ
// unless a type is given.
struct RegValue {
    const wchar_t* name;
    std::wstring text;
    DWORD type = REG_SZ;
};
inline void SetValues(const std::wstring& path, const std::vector<RegValue>& values,
                      REGSAM view = kInstallerView) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr,
                        &key, nullptr) != 0)
        return;
    for (const auto& [name, text, type] : values)
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

inline void DeleteKeyTree(const std::wstring& path, REGSAM view = kInstallerView) {
    HKEY parent;
    const size_t seam = path.rfind(L'\\');
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.substr(0, seam).c_str(), 0, KEY_ALL_ACCESS | view,
                      &parent) != 0)
        return;
    RegDeleteTreeW(parent, path.substr(seam + 1).c_str());
    RegCloseKey(parent);
}

inline bool ProductKeyExists() {
    return KeyExists(kProductKey);
}

// The renames due at the next restart, put back as found: no test's deletion is ever carried out.
struct PendingRenames {
    static std::wstring Read() {
        std::wstring data(32768, L'\0');
        DWORD size = 32766 * sizeof(wchar_t);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_MULTI_SZ, nullptr,
                         data.data(), &size) != ERROR_SUCCESS)
            size = 0;
        return data.substr(0, size / sizeof(wchar_t));
    }
    // A deletion: the path's native name and an empty target.
    bool Has(const fs::path& path) const {
        return Read().find(L"\\??\\" + path.wstring() + std::wstring(2, L'\0')) !=
               std::wstring::npos;
    }
    ~PendingRenames() {
        if (saved.empty())
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
        else
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue, REG_MULTI_SZ, saved.c_str(),
                            static_cast<DWORD>(saved.size() * sizeof(wchar_t)));
    }
    static constexpr wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                             kValue[] = L"PendingFileRenameOperations";
    const std::wstring saved = Read();
};

// Opens a file as another program would, shared for reading only.
inline HANDLE Hold(const fs::path& file) {
    return CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                       nullptr);
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

// Starts a program by its command line; the process handle, for the caller to close.
inline HANDLE StartProcess(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &process);
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Runs a command in the host's shell, for what Wine cannot do itself (make a link, take a
// picture of the screen). Wine cannot wait for a host process, so the command ends by
// writing a marker file, awaited for at most 20 s.
inline void Host(const std::wstring& command) {
    const fs::path marker = fs::temp_directory_path() / (L"host-done-" + kPid);
    CloseHandle(StartProcess(L"Z:\\bin\\sh -c \"" + command + L"; : >" + Unix(marker) + L"\""));
    WaitUntil([&] { return DeleteFileW(marker.c_str()) != FALSE; }, 20000);
}

// Points a URL scheme's open command at the given one while it lives; the prefix's own
// (Wine's browser) comes back after.
struct ScopedUrlCommand {
    ScopedUrlCommand(const std::wstring& scheme, const std::wstring& command)
        : key(L"SOFTWARE\\Classes\\" + scheme + L"\\shell\\open\\command") {
        DWORD size = sizeof own;
        RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, own, &size);
        SetValues(key, {{nullptr, command}}, 0);
    }
    ~ScopedUrlCommand() { SetValues(key, {{nullptr, own}}, 0); }
    std::wstring key;
    wchar_t own[MAX_PATH] = {};
};

inline void RemoveTree(const fs::path& folder) {
    Host(L"rm -rf " + Unix(folder));
}

} // namespace test
