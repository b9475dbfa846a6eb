// Stands in for a web browser: writes its command line and the name of the program that
// started it to a fixed file (a program the desktop's shell starts inherits nothing from
// the test).
#include <windows.h>
#include <share.h>
#include <tlhelp32.h>

#include <cstdio>
#include <map>
#include <string>

int wmain() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    std::map<DWORD, std::wstring> names;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        names[entry.th32ProcessID] = entry.szExeFile;
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    const std::wstring line = GetCommandLineW() + (L" by " + names[parent]);
    // Unshared until closed, so a reader never sees it half written; binary keeps it UTF-16.
    FILE* file = _wfsopen(L"C:\\windows\\temp\\corvina_link_record.txt", L"wb", _SH_DENYRW);
    return file && fputws(line.c_str(), file) >= 0 && !fclose(file) ? 0 : 1;
}
