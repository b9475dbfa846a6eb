// Stands in for a web browser: writes its command line to the file CORVINA_LINK_RECORD names.
#include <cstdio>
#include <cwchar>
#include <share.h>
#include <windows.h>

int wmain() {
    const wchar_t* record = _wgetenv(L"CORVINA_LINK_RECORD");
    // Unshared until closed, so a reader never sees it half written; binary keeps it UTF-16.
    FILE* file = record ? _wfsopen(record, L"wb", _SH_DENYRW) : nullptr;
    return file && fputws(GetCommandLineW(), file) >= 0 && !fclose(file) ? 0 : 1;
}
