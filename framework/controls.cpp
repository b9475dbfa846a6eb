#include "framework/controls.h"

SIZE MeasureText(HWND control, std::wstring_view text) {
    SIZE extent{};
    const HDC dc = GetDC(control);
    if (!dc)
        return extent;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    if (previous)
        SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent;
}

CToolTipCtrl::~CToolTipCtrl() {
    CToolTipCtrl::DestroyWindow(); // a destructor reaches only its own class's
}

BOOL CToolTipCtrl::DestroyWindow() {
    // An owned tooltip goes with its owner's dialog; a stale handle may name another window.
    const BOOL destroyed = m_hWnd && ::IsWindow(m_hWnd) && ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return destroyed;
}

BOOL CToolTipCtrl::Create(CWnd* owner, DWORD style) {
    m_hWnd = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner->m_hWnd, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    return m_hWnd != nullptr;
}

static TTTOOLINFOW MakeToolInfo(CWnd* wnd, const std::wstring& text, UINT_PTR id) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = wnd->m_hWnd;
    info.uId = id;
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const std::wstring& text, const RECT& rect,
                           UINT_PTR id) const {
    TTTOOLINFOW info = MakeToolInfo(wnd, text, id);
    info.rect = rect;
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const std::wstring& text, CWnd* wnd, UINT_PTR id) const {
    TTTOOLINFOW info = MakeToolInfo(wnd, text, id);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::RelayEvent(MSG* msg) const {
    if (m_hWnd)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
