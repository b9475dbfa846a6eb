#include "removal/shell_folder.h"

#include <windows.h>
#include <shlobj.h>

std::wstring ShellFolderPath(int csidl) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return folder;
}

std::wstring InstallerProgramFiles() {
    return ShellFolderPath(CSIDL_PROGRAM_FILESX86);
}

std::vector<std::wstring> ProgramFilesFolders() {
    wchar_t native[MAX_PATH] = {};
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        DWORD type = 0, size = sizeof native - sizeof(wchar_t);
        if (RegQueryValueExW(key, L"ProgramFilesDir", nullptr, &type,
                             reinterpret_cast<BYTE*>(native), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            native[0] = L'\0';
        RegCloseKey(key);
    }
    return {InstallerProgramFiles(), ShellFolderPath(CSIDL_PROGRAM_FILES), native};
}
