#include "app/uninstall_app.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/command_line.h"
#include "app/page_loop.h"
#include "app/single_instance.h"
#include "app/unattended.h"
#include "app/uninstall_dlg.h"
#include "controls/complete_dlg.h"
#include "framework/language.h"
#include "framework/unique_handle.h"
#include "removal/progress_dlg.h"
#include "removal/removal_outcome.h"
#include "res/resource.h"

namespace {

// A planned restart for an application's installation, as the user chose on the last page.
// The shutdown right is held by administrators but off until enabled.
bool RestartComputer() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return false;
    const UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES shutdown{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown.Privileges[0].Luid) ||
        !AdjustTokenPrivileges(token.Get(), FALSE, &shutdown, 0, nullptr, nullptr) ||
        GetLastError() != ERROR_SUCCESS)
        return false;
    return ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION |
                                         SHTDN_REASON_MINOR_INSTALLATION |
                                         SHTDN_REASON_FLAG_PLANNED) != FALSE;
}

} // namespace

CUninstallApp::CUninstallApp() = default;

CUninstallApp::~CUninstallApp() = default;

BOOL CUninstallApp::InitInstance() {
    const CommandLine commandLine = ParseCommandLine(GetCommandLineW());
    if (commandLine.usage) {
        WriteToParentConsole(STD_OUTPUT_HANDLE, UsageText());
        return FALSE;
    }
    // The wizard speaks the user's language; an unattended run and its log stay English.
    if (!commandLine.unattended)
        UseLanguage(MatchLanguage(AfxGetResourceHandle(), GetUserDefaultUILanguage()));
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
        ShowMessage(nullptr, InstanceLockFailure(lockError, UiLanguage()), MB_OK | MB_ICONERROR);
        m_exitCode = kExitNoLock;
    }
    if (lock != InstanceLock::Taken)
        return FALSE;
    if (!commandLine.logPath.empty()) {
        if (m_removalLog.Create(commandLine.logPath) != ERROR_SUCCESS) {
            ShowMessage(nullptr, FormatText(IDS_LOG_FILE_FAILED, {commandLine.logPath}),
                        MB_OK | MB_ICONERROR);
            m_exitCode = kExitNoLog;
            return FALSE;
        }
        m_removalLog.Line(LogHeaderLine());
        m_logPath = commandLine.logPath;
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
    // No test starts it: under Wine a restart would end every program of the prefix.
    if (m_exitCode == kExitRestartStarted && !RestartComputer())
        m_exitCode = kExitRemovedAtRestart;
    // The removal's result line stands in the log already; these two tell how the wizard ended.
    if (m_exitCode == kExitCancelled || m_exitCode == kExitRestartStarted)
        m_removalLog.Line(ResultLine(m_exitCode));
    if (SUCCEEDED(com))
        CoUninitialize();
    return FALSE;
}
