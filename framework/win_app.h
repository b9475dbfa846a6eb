// CWinApp: the one application object. Its constructor registers it; the program's entry
// point runs InitInstance and ends the process with the exit code the object holds.
#pragma once

#include <windows.h>

#include <string>

class CWinApp {
  public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // Returning false ends the program without a message loop of its own.
    virtual BOOL InitInstance();
    // Runs the application: InitInstance, then a message loop only if it asked for one.
    int Run(HINSTANCE instance);
    // Where per-user settings would live. Nothing is stored, so the name is only kept.
    void SetRegistryKey(const wchar_t* company) { m_registryKey = company; }

    HINSTANCE m_hInstance = nullptr;
    std::wstring m_registryKey;
    // Process exit status when InitInstance returns false.
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
// No page hosts ActiveX controls; kept so start-up reads like the framework it stands in for.
inline void AfxEnableControlContainer() {}
