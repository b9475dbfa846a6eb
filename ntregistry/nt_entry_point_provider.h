// The seam between CNtRegistry and the system: where its ntdll routines come from and where
// its message boxes go.
#pragma once

#include <windows.h>

class NtEntryPointProvider {
  public:
    virtual ~NtEntryPointProvider() = default;
    // GetModuleHandleW semantics: null with the thread's last error set on failure.
    virtual HMODULE FindModule(const wchar_t* name) = 0;
    // GetProcAddress semantics: null when the module has no such export.
    virtual FARPROC FindEntryPoint(HMODULE module, const char* name) = 0;
    virtual void ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) = 0;
};

// The real ntdll.dll of the process and MessageBoxW without an owner window.
class NtdllEntryPointProvider : public NtEntryPointProvider {
  public:
    HMODULE FindModule(const wchar_t* name) override;
    FARPROC FindEntryPoint(HMODULE module, const char* name) override;
    void ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) override;
};

// One process-wide instance; it has no state, so any thread may use it.
NtEntryPointProvider& DefaultNtEntryPointProvider();
