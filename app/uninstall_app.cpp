#include "app/uninstall_app.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/command_line.h"
#include "app/page_loop.h"
#include "app/single_instance.h"
#include "app/unattended.h"
#include "app/uninstall_dlg.h"
#include "controls/complete_dlg.h"
#include "removal/progress_dlg.h"

CUninstallApp::CUninstallApp() = default;

CUninstallApp::~CUninstallApp() = default;

BOOL CUninstallApp::InitInstance() {
    const CommandLine commandLine = ParseCommandLine(GetCommandLineW());
    if (commandLine.usage) {
        WriteToParentConsole(STD_OUTPUT_HANDLE, UsageText());
        return FALSE;
    }
    // Before anything is read: a second instance touches nothing.
    DWORD lockError = ERROR_SUCCESS;
    const InstanceLock lock = TakeInstanceLock(lockError);
    if (commandLine.unattended) {
        m_exitCode = RunUnattended(commandLine, lock, lockError);
        return FALSE;
    }
    if (lock == InstanceLock::HeldByAnother)
        ShowFirstInstance();
    if (lock == InstanceLock::Unavailable) {
        MessageBoxW(nullptr, InstanceLockFailure(lockError).c_str(), L"Uninstall",
                    MB_OK | MB_ICONERROR);
        m_exitCode = kExitNoLock;
    }
    if (lock != InstanceLock::Taken)
        return FALSE;
    if (!commandLine.logPath.empty()) {
        if (m_removalLog.Create(commandLine.logPath) != ERROR_SUCCESS) {
            MessageBoxW(
                nullptr,
                (L"The log file \"" + commandLine.logPath + L"\" cannot be created.").c_str(),
                L"Uninstall", MB_OK | MB_ICONERROR);
            m_exitCode = kExitNoLog;
            return FALSE;
        }
        m_removalLog.Line(LogHeaderLine());
    }

    // The progress bar's class among others; size 8 is the structure's own size.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Corvina");

    // The pages' thread is an apartment: the links hand their accessible objects to screen
    // readers through COM, and the shell may open a link through COM too.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // Before any COM call. The desktop's shell, which has less right than this program, may
    // identify it but not impersonate it, and hands it no marshaller of its own, whose code
    // would run here; no server is started as this program's user. Calls in go unchecked: a
    // screen reader of the desktop's user asks the links' accessible objects.
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IDENTIFY, nullptr,
                         EOAC_NO_CUSTOM_MARSHAL | EOAC_DISABLE_AAA, nullptr);
    {
        CUninstallDlg welcome;
        m_exitCode = RunPageLoop<CProgressDlg, CCompleteDlg>(welcome);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return FALSE;
}
