#include "removal/progress_dlg.h"

#include "app/uninstall_app.h"
#include "framework/thread.h"
#include "res/resource.h"

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS), m_icon(LoadPageIcon()) {}

CProgressDlg::~CProgressDlg() {
    if (m_worker)
        WaitForSingleObject(m_worker.Get(), INFINITE);
}

void CProgressDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_PROGRESS, m_progress);
    DDX_Control(dx, IDC_LIST, m_list);
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetPageIcon(m_hWnd, m_icon);
    m_headingFont = CreatePageFont(16, FW_SEMIBOLD);
    SetControlFont(GetDlgItem(IDC_TITLE), m_headingFont);
    if (auto* app = static_cast<CUninstallApp*>(AfxGetApp())) {
        m_productDir = app->m_productDir;
        m_menuGroup = app->m_menuGroup;
    }
    ReadInstallLog(m_log, m_productDir);
    m_progress.SetStep(1);
    m_progress.SetRange(0, static_cast<short>(LOWORD(LoggedEntryCount(m_log))));
    m_run.emplace(RemovalJob{m_log, m_productDir, m_menuGroup, m_registry}, this);
    m_worker = AfxBeginThread(&RemovalWorker, &*m_run);
    if (!m_worker)
        m_finished = true; // nothing runs, so nothing must hold the page
    return TRUE;
}

void CProgressDlg::EnableNext(bool enable) {
    // The last step of the worker: from here on the page may end.
    if (enable)
        m_finished = true;
    EnableWindow(GetDlgItem(IDOK), enable);
}

void CProgressDlg::ClearList() {
    m_list.ResetContent();
}

void CProgressDlg::AddLine(const std::wstring& line) {
    m_list.AddString(line);
}

void CProgressDlg::StepProgress() {
    m_progress.StepIt();
}

void CProgressDlg::SetStatusText(const std::wstring& text) {
    ::SetWindowTextW(GetDlgItem(IDC_STATUS), text.c_str());
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

HBRUSH CProgressDlg::OnCtlColor(HDC dc, HWND control, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, control, ctlColor);
    if (GetDlgCtrlID(control) == IDC_TITLE)
        SelectObject(dc, m_headingFont.Get());
    return brush;
}

void CProgressDlg::OnPaint() {
    PaintBanner(m_hWnd, m_banner, BannerContext::PaintContext);
}

void CProgressDlg::OnClose() {
    if (m_finished)
        Default();
}
