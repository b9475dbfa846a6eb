// make-install-log LOG FILE...: writes the Install.log an installer would leave for FILE...
#include <cstdio>
#include <string>
#include <vector>

#include "tools/install_log_writer.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: make-install-log LOG [FILE...]\n");
        return 2;
    }
    const std::vector<std::wstring> entries(argv + 2, argv + argc);
    if (!WriteInstallLog(argv[1], entries)) {
        fwprintf(stderr,
                 L"make-install-log: could not write %ls (at most 100 paths of 259 "
                 L"characters)\n",
                 argv[1]);
        return 1;
    }
    return 0;
}
