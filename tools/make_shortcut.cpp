// make-shortcut LINK TARGET [DESCRIPTION]: writes a real shell link, as an installer would.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: make-shortcut LINK TARGET [DESCRIPTION]\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    int status = 1;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(argv[2]);
        if (argc > 3)
            link->SetDescription(argv[3]);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Save(argv[1], TRUE)))
                status = 0;
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    if (status != 0)
        fwprintf(stderr, L"make-shortcut: could not write %ls\n", argv[1]);
    return status;
}
