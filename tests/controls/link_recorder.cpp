// Stands in for a web browser: writes its command line to the file CORVINA_LINK_RECORD
// names, whole or not at all.
#include <windows.h>

#include <string>

int wmain() {
    const wchar_t* record = _wgetenv(L"CORVINA_LINK_RECORD");
    if (!record)
        return 1;
    const std::wstring partial = std::wstring(record) + L".part";
    const std::wstring line = GetCommandLineW();
    HANDLE file =
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, line.c_str(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    return MoveFileExW(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
