// Real folders of the test prefix, a page that records what the engine asks of it, and the
// host's ln and rm for what Wine cannot do itself.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "removal/removal_engine.h"

namespace fs = std::filesystem;

inline std::wstring Unique(const std::wstring& what) {
    return L"Corvina " + what + L" " + std::to_wstring(GetCurrentProcessId());
}
inline fs::path ProgramFiles() {
    return ShellFolderPath(CSIDL_PROGRAM_FILES);
}
inline fs::path Programs() {
    return ShellFolderPath(CSIDL_COMMON_PROGRAMS);
}
inline bool Exists(const fs::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

inline std::wstring UnixPath(const fs::path& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    std::wstring text = unix ? std::wstring(unix, unix + strlen(unix)) : L"";
    HeapFree(GetProcessHeap(), 0, unix);
    return L"'" + text + L"'";
}
// Runs a shell command of the host. Wine cannot wait on such a process, so this waits (20 s
// at most) for a marker file that the command writes when it is done.
inline bool Host(const std::wstring& command) {
    const fs::path marker = fs::temp_directory_path() / Unique(L"host done");
    std::wstring line = L"Z:\\bin\\sh -c \"" + command + L"; : >" + UnixPath(marker) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 200 && !Exists(marker); ++i)
        Sleep(100);
    return DeleteFileW(marker.c_str()) != 0;
}
// Wine shows a Unix symbolic link to a folder as a directory with a reparse point, and its
// CreateSymbolicLinkW makes nothing.
inline bool MakeLink(const fs::path& link, const fs::path& target) {
    return Host(L"ln -s " + UnixPath(target) + L" " + UnixPath(link)) &&
           GetFileAttributesW(link.c_str()) == 0x410;
}
// Takes links as links and read-only files too, which neither Wine nor std::filesystem can.
inline void RemoveTree(const fs::path& path) {
    Host(L"rm -rf " + UnixPath(path));
}

class RecorderPage : public RemovalPage {
  public:
    std::vector<std::wstring> calls;
    InstallLogRecord log = {};
    std::wstring productDir, menuGroup;
    CNtRegistry registry;

    void EnableNext(bool enable) override { calls.push_back(enable ? L"enable" : L"disable"); }
    void ClearList() override { calls.push_back(L"clear"); }
    void AddLine(const std::wstring& line) override { calls.push_back(line); }
    void StepProgress() override { calls.push_back(L"step"); }
    void SetStatusText(const std::wstring& text) override { calls.push_back(L"status " + text); }
    const InstallLogRecord& Log() const override { return log; }
    const std::wstring& ProductDir() const override { return productDir; }
    const std::wstring& MenuGroup() const override { return menuGroup; }
    CNtRegistry& Registry() override { return registry; }
};

// Runs the removal; the result is what it wrote to its diagnostics stream.
inline std::string RunCapturing(RemovalPage& page) {
    wchar_t folder[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"rmv", 0, name);
    FILE* out = _wfopen(name, L"w+b");
    RunRemoval(page, out);
    std::string text(4096, '\0');
    rewind(out);
    text.resize(fread(text.data(), 1, text.size(), out));
    fclose(out);
    DeleteFileW(name);
    return text;
}
