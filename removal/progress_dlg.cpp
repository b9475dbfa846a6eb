#include "removal/progress_dlg.h"

#include "framework/thread.h"
#include "removal/removal_outcome.h"
#include "res/resource.h"

CProgressDlg::CProgressDlg() : CWizardPage(IDD_PROGRESS, {16, FW_SEMIBOLD}) {}

CProgressDlg::~CProgressDlg() {
    if (m_worker)
        WaitForSingleObject(m_worker.Get(), INFINITE);
}

void CProgressDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_PROGRESS, m_progress);
    DDX_Control(dx, IDC_LIST, m_list);
}

BOOL CProgressDlg::OnInitDialog() {
    CWizardPage::OnInitDialog();
    const WizardStores stores = AppStores();
    ReadInstallLog(m_log, stores.productDir);
    m_progress.SetStep(1);
    m_progress.SetRange(0, static_cast<short>(LOWORD(LoggedEntryCount(m_log))));
    m_removalLog = stores.removalLog;
    m_run.emplace(
        RemovalRun{RemovalJob{m_log, stores.productDir, stores.menuGroup, m_registry}, this});
    m_worker = AfxBeginThread(&RemovalWorker, &*m_run);
    if (!m_worker)
        m_finished = true; // nothing runs, so nothing must hold the page
    return TRUE;
}

void CProgressDlg::EnableNext(bool enable) {
    // The last step of the worker: from here on the page may end.
    if (enable) {
        // Complete before the user can go on.
        if (m_removalLog)
            LogOutcome(*m_removalLog, m_run->job);
        m_finished = true;
    }
    EnableWindow(GetDlgItem(IDOK), enable);
}

void CProgressDlg::ClearList() {
    m_list.ResetContent();
}

void CProgressDlg::AddLine(const std::wstring& line) {
    m_list.AddString(line);
    if (m_removalLog)
        m_removalLog->Line(line);
}

void CProgressDlg::StepProgress() {
    m_progress.StepIt();
}

void CProgressDlg::SetStatusText(const std::wstring& text) {
    ::SetWindowTextW(GetDlgItem(IDC_STATUS), text.c_str());
}

void CProgressDlg::Diagnostic(const std::wstring& line) {
    // For the log's reader; the list is the user's.
    if (m_removalLog)
        m_removalLog->Line(line);
}

bool CProgressDlg::OnCommand(UINT id, UINT notifyCode) {
    if (id == IDOK || id == IDCANCEL || id == IDC_PREV) {
        // Next before the worker disabled it, Escape, or a scripted click: all wait.
        if (!m_finished)
            return true;
        if (id == IDC_PREV) {
            EndDialog(IDC_PREV);
            return true;
        }
    }
    return CDialog::OnCommand(id, notifyCode);
}

void CProgressDlg::OnClose() {
    if (m_finished)
        LeaveToDialogManager();
}
