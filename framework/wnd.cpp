#include "framework/wnd.h"

namespace {
const wchar_t kObjectProperty[] = L"CWnd.Object";
}

CWnd::~CWnd() {
    if (m_hWnd && m_originalProc)
        UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    m_hWnd = hwnd;
    PreSubclassWindow();
    SetPropW(hwnd, kObjectProperty, this);
    m_originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    if (m_originalProc)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_originalProc));
    RemovePropW(hwnd, kObjectProperty);
    m_originalProc = nullptr;
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

bool CWnd::OnReflectCtlColor(HDC, UINT, HBRUSH&) {
    return false;
}

bool CWnd::OnReflectCommand(UINT) {
    return false;
}

std::wstring CWnd::GetWindowText() const {
    return WindowText(m_hWnd);
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) {
    return Default();
}

LRESULT CWnd::Default() {
    return CallWindowProcW(m_originalProc, m_current.hwnd, m_current.message, m_current.wParam,
                           m_current.lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = FromHandlePermanent(hwnd);
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    const MSG outer = self->m_current;
    self->m_current = MSG{hwnd, msg, wp, lp, 0, {}};
    LRESULT result;
    if (msg == WM_NCDESTROY) {
        // The window is going away: let the original procedure finish, then forget it.
        result = self->Default();
        self->UnsubclassWindow();
    } else {
        result = self->WindowProc(msg, wp, lp);
    }
    self->m_current = outer;
    return result;
}
