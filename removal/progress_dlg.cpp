#include "removal/progress_dlg.h"

#include "framework/language.h"
#include "framework/thread.h"
#include "removal/removal_outcome.h"
#include "res/resource.h"

namespace {

// The worker's one message: the removal and the survey are done.
constexpr UINT kRemovalEnded = WM_APP + 1;

} // namespace

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
    SetItemTexts(m_hWnd, {{IDOK, IDS_NEXT},
                          {IDCANCEL, IDS_CANCEL},
                          {IDC_PREV, IDS_PREV},
                          {IDC_TITLE, IDS_PROGRESS_TITLE},
                          {IDC_PROGRESS_TEXT, IDS_PROGRESS_TEXT},
                          {IDC_STATUS, IDS_PROGRESS_STATUS}});
    EnableWindow(GetDlgItem(IDOK), FALSE);
    const WizardStores stores = AppStores();
    ReadInstallLog(m_log, stores.productDir);
    m_progress.SetStep(1);
    m_progress.SetRange(0, static_cast<short>(LOWORD(LoggedEntryCount(m_log))));
    m_removalLog = stores.removalLog;
    m_run.emplace(RemovalRun{RemovalJob{m_log, stores.productDir, stores.menuGroup, m_registry},
                             this,
                             m_hWnd,
                             kRemovalEnded,
                             {}});
    m_worker = AfxBeginThread(&RemovalWorker, &*m_run);
    // Without a thread the page's own does the removal: what the user asked for still happens.
    if (!m_worker)
        RemovalWorker(&*m_run);
    return TRUE;
}

const Leftovers& CProgressDlg::Outcome() const {
    static const Leftovers none;
    return m_run ? m_run->outcome : none;
}

bool CProgressDlg::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != kRemovalEnded)
        return false;
    OnRemovalEnded();
    result = 0;
    return true;
}

void CProgressDlg::OnRemovalEnded() {
    // Complete before the user can go on.
    if (m_removalLog)
        LogOutcome(*m_removalLog, m_run->outcome);
    m_finished = true;
    ::SetWindowTextW(GetDlgItem(IDC_STATUS), LoadText(IDS_PROGRESS_DONE).c_str());
    EnableWindow(GetDlgItem(IDOK), TRUE);
}

void CProgressDlg::ClearList() {
    m_list.ResetContent();
}

void CProgressDlg::AddLine(const std::wstring& line) {
    m_list.AddString(line);
    if (m_removalLog)
        m_removalLog->Line(line);
}

void CProgressDlg::Report(RemovalStep step, const std::wstring& path) {
    m_list.AddString(StepLine(step, path, UiLanguage()));
    if (m_removalLog)
        m_removalLog->Line(StepLine(step, path, kEnglish));
}

void CProgressDlg::StepProgress() {
    m_progress.StepIt();
}

void CProgressDlg::Diagnostic(const std::wstring& line) {
    // For the log's reader; the list is the user's.
    if (m_removalLog)
        m_removalLog->Line(line);
}

bool CProgressDlg::OnCommand(UINT id, UINT notifyCode) {
    if (id == IDOK || id == IDCANCEL || id == IDC_PREV) {
        // Escape, the Close box or a scripted click: all wait for the removal's end.
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
