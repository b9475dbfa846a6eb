#include "app/uninstall_app.h"

#include <commctrl.h>

#include "app/page_loop.h"
#include "app/uninstall_dlg.h"
#include "controls/complete_dlg.h"
#include "removal/progress_dlg.h"

CUninstallApp::CUninstallApp() = default;

CUninstallApp::~CUninstallApp() = default;

BOOL CUninstallApp::InitInstance() {
    // The progress bar's class among others; size 8 is the structure's own size.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Corvina");

    CUninstallDlg welcome;
    m_exitCode = RunPageLoop<CProgressDlg, CCompleteDlg>(welcome);
    return FALSE;
}
