#include "framework/controls.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "framework/language.h"
#include "res/resource.h"

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

namespace {

// The command of the list's context menu; any id but 0, which TrackPopupMenu gives for none.
constexpr UINT kCopyAllLines = 1;
// What Ctrl+C types.
constexpr WPARAM kCtrlC = 3;

} // namespace

int CListBox::AddString(const std::wstring& text) const {
    const auto index =
        static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    // The list draws a line a few pixels in from its edge: a blank's width keeps its end clear.
    const LONG width = MeasureText(m_hWnd, text + L" ").cx;
    if (width > static_cast<LONG>(SendMessage(LB_GETHORIZONTALEXTENT)))
        SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width));
    return index;
}

std::wstring CListBox::AllLines() const {
    std::wstring text;
    const auto count = static_cast<int>(SendMessage(LB_GETCOUNT));
    for (int i = 0; i < count; ++i) {
        const auto length = static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(i)));
        if (length < 0)
            continue;
        std::wstring line(static_cast<size_t>(length) + 1, L'\0');
        line.resize(static_cast<size_t>(
            std::max<LRESULT>(0, SendMessage(LB_GETTEXT, static_cast<WPARAM>(i),
                                             reinterpret_cast<LPARAM>(line.data())))));
        text += line + L"\r\n";
    }
    return text;
}

bool CListBox::CopyAllLines() const {
    const std::wstring text = AllLines();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return false;
    if (void* to = GlobalLock(memory)) {
        memcpy(to, text.c_str(), bytes);
        GlobalUnlock(memory);
    }
    if (!OpenClipboard(m_hWnd)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it took it.
    const bool copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!copied)
        GlobalFree(memory);
    return copied;
}

// A menu of a mirrored page opens leftwards and reads right to left.
static UINT RightToLeftMenu() {
    return IsRightToLeft(UiLanguage()) ? TPM_LAYOUTRTL : 0;
}

void CListBox::ShowContextMenu(LPARAM at) const {
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    // From the keyboard (Shift+F10, the menu key) the menu opens at the list's corner.
    if (at == -1) {
        point = {0, 0};
        ClientToScreen(m_hWnd, &point);
    }
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    AppendMenuW(menu, MF_STRING, kCopyAllLines, LoadText(IDS_COPY_ALL_LINES).c_str());
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | RightToLeftMenu(),
                       point.x, point.y, 0, m_hWnd, nullptr));
    DestroyMenu(menu);
    if (chosen == kCopyAllLines)
        CopyAllLines();
}

LRESULT CListBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CONTEXTMENU) {
        ShowContextMenu(lp);
        return 0;
    }
    if (msg == WM_CHAR && wp == kCtrlC) {
        CopyAllLines();
        return 0;
    }
    return CWnd::WindowProc(msg, wp, lp);
}
