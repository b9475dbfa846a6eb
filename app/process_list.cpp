#include "app/process_list.h"

#include <windows.h>
#include <tlhelp32.h>

#include "framework/unique_handle.h"

bool IsProcessRunning(const std::wstring& exeName) {
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (CompareStringOrdinal(entry.szExeFile, -1, exeName.c_str(), -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}
