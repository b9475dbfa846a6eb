#include "framework/dialog.h"

#include "framework/language.h"
#include "framework/win_app.h"

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    const HINSTANCE module = AfxGetResourceHandle();
    const DLGTEMPLATE* page = FindDialogTemplate(module, m_templateId);
    if (!page)
        return -1;
    return DialogBoxIndirectParamW(module, page, m_parent, &CDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(UINT id, UINT) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnPaint() {
    LeaveToDialogManager();
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) {
    // What the dialog manager would answer: system colours and the button-face brush.
    return reinterpret_cast<HBRUSH>(
        DefWindowProcW(m_current.hwnd, m_current.message, m_current.wParam, m_current.lParam));
}

void CDialog::OnTimer(UINT_PTR) {
    LeaveToDialogManager();
}

void CDialog::OnClose() {
    LeaveToDialogManager();
}

HCURSOR CDialog::OnQueryDragIcon() {
    LeaveToDialogManager();
    return nullptr;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

void CDialog::LeaveToDialogManager() {
    m_wantsDefault = true;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->m_hWnd = hwnd;
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    const MSG outer = self->m_current;
    const bool outerDefault = self->m_wantsDefault;
    self->m_current = MSG{hwnd, msg, wp, lp, 0, {}};
    self->m_wantsDefault = false;
    const INT_PTR result = self->Dispatch(msg, wp, lp);
    self->m_current = outer;
    self->m_wantsDefault = outerDefault;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return result;
}

static void CenterOnWorkArea(HWND hwnd) {
    RECT window, work;
    GetWindowRect(hwnd, &window);
    MONITORINFO monitor{sizeof(monitor), {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    work = monitor.rcWork;
    const int x = work.left + ((work.right - work.left) - (window.right - window.left)) / 2;
    const int y = work.top + ((work.bottom - work.top) - (window.bottom - window.top)) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        CenterOnWorkArea(m_hWnd);
        return OnInitDialog();
    case WM_COMMAND: {
        const UINT id = LOWORD(wp);
        const UINT code = HIWORD(wp);
        if (CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lp)))
            if (child->OnReflectCommand(code))
                return TRUE;
        if (OnCommand(id, code))
            return TRUE;
        return FALSE;
    }
    case WM_PAINT:
        OnPaint();
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wp);
        const HWND control = reinterpret_cast<HWND>(lp);
        const UINT ctlColor = msg - WM_CTLCOLORMSGBOX;
        HBRUSH brush = nullptr;
        if (CWnd* child = FromHandlePermanent(control))
            if (child->OnReflectCtlColor(dc, ctlColor, brush))
                return reinterpret_cast<INT_PTR>(brush);
        return reinterpret_cast<INT_PTR>(OnCtlColor(dc, control, ctlColor));
    }
    case WM_TIMER:
        OnTimer(wp);
        break;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_QUERYDRAGICON: {
        HCURSOR icon = OnQueryDragIcon();
        return m_wantsDefault ? FALSE : reinterpret_cast<INT_PTR>(icon);
    }
    default: {
        LRESULT result = 0;
        if (!OnMessage(msg, wp, lp, result))
            return FALSE;
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    }
    return m_wantsDefault ? FALSE : TRUE;
}

void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
    const HWND item = dx->m_pDlgWnd->GetDlgItem(id);
    if (dx->m_bSaveAndValidate)
        value = WindowText(item);
    else
        SetWindowTextW(item, value.c_str());
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd)
        control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}
