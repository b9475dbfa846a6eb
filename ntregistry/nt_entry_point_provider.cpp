#include "ntregistry/nt_entry_point_provider.h"

HMODULE NtdllEntryPointProvider::FindModule(const wchar_t* name) {
    return GetModuleHandleW(name);
}

FARPROC NtdllEntryPointProvider::FindEntryPoint(HMODULE module, const char* name) {
    return GetProcAddress(module, name);
}

void NtdllEntryPointProvider::ShowMessageBox(const wchar_t* text, const wchar_t* caption,
                                             UINT type) {
    MessageBoxW(nullptr, text, caption, type);
}

NtEntryPointProvider& DefaultNtEntryPointProvider() {
    static NtdllEntryPointProvider provider;
    return provider;
}
