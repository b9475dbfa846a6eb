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
