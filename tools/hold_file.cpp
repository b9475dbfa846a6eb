// hold-file FILE SECONDS: keeps a file open, shared for reading only, as a program using it
// would, so that the demo can show a removal that a restart finishes.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: hold-file FILE SECONDS\n");
        return 2;
    }
    const HANDLE file =
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    Sleep(static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)) * 1000);
    CloseHandle(file);
    return 0;
}
