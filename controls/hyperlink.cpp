#include "controls/hyperlink.h"

#include <windowsx.h>

#include "controls/link_accessible.h"
#include "controls/link_opener.h"

namespace {

const UINT_PTR kToolId = 1;
const UINT kHoverPeriodMs = 100;
const int kUnderlineWhileHovering = -1;
const int kUnderlineAlways = 1;
// The leave repaint reaches below the client area, where an underline may have spilled.
const int kLeaveRepaintExtra = 10;

HFONT StockFont(int object) {
    return static_cast<HFONT>(GetStockObject(object));
}

} // namespace

CHyperLink::CHyperLink()
    : m_normalColor(RGB(0, 0, 238)), m_visitedColor(RGB(85, 26, 139)), m_hoverColor(RGB(255, 0, 0)),
      m_backColor(GetSysColor(COLOR_BTNFACE)), m_hovering(FALSE), m_visited(FALSE),
      m_underlineMode(kUnderlineWhileHovering), m_fitToText(TRUE), m_target(L" "),
      m_hoverTimerId(100) {}

CHyperLink::~CHyperLink() {
    // The underlined font goes first; the tooltip and the target go with their members.
    m_underlinedFont.Reset();
    m_plainFont.Reset();
}

void CHyperLink::SetLinkTarget(std::wstring target) {
    m_target = std::move(target);
    if (HasWindow())
        m_tip.UpdateTipText(m_target, this, kToolId);
}

void CHyperLink::SetFitToText(bool enable) {
    m_fitToText = enable;
    if (HasWindow())
        FitToText();
}

void CHyperLink::FitToText() {
    if (!HasWindow() || !m_fitToText)
        return;
    RECT outer, inner;
    GetWindowRect(m_hWnd, &outer);
    GetClientRect(m_hWnd, &inner);
    MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&inner), 2);
    if (const HWND parent = GetParent()) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&outer), 2);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&inner), 2);
    }

    const RECT fitted = FitRectToText(outer, inner, MeasureText(m_hWnd, GetWindowText()),
                                      GetWindowLongW(m_hWnd, GWL_STYLE));
    SetWindowPos(m_hWnd, nullptr, fitted.left, fitted.top, fitted.right - fitted.left,
                 fitted.bottom - fitted.top, SWP_NOZORDER);
}

RECT FitRectToText(RECT outer, const RECT& inner, SIZE text, LONG style) {
    const LONG width = text.cx + (outer.right - outer.left) - (inner.right - inner.left);
    const LONG height = text.cy + (outer.bottom - outer.top) - (inner.bottom - inner.top);
    if (style & SS_CENTERIMAGE) {
        const LONG d = ((outer.bottom - outer.top) - height) / 2;
        outer.top += d;
        outer.bottom -= d;
    } else {
        outer.bottom = outer.top + height;
    }
    if (style & SS_CENTER) {
        const LONG d = ((outer.right - outer.left) - width) / 2;
        outer.left += d;
        outer.right -= d;
    } else if (style & SS_RIGHT) {
        outer.left = outer.right - width;
    } else {
        outer.right = outer.left + width;
    }
    return outer;
}

void CHyperLink::PreSubclassWindow() {
    // Without SS_NOTIFY a static is transparent to the mouse and never reports a click.
    SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    if (m_target.empty())
        m_target = GetWindowText();
    if (GetWindowText().empty())
        SetWindowText(m_target);
    PrepareFonts();
    LoadHandCursor();
    SetUnderlineMode(kUnderlineWhileHovering);

    m_tip.DestroyWindow();
    if (m_tip.Create(this)) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        m_tip.AddTool(this, m_target, client, kToolId);
    }
    CStatic::PreSubclassWindow();
}

void CHyperLink::PrepareFonts() {
    auto font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!font)
        font = StockFont(DEFAULT_GUI_FONT);
    if (!font)
        font = StockFont(ANSI_VAR_FONT);
    LOGFONTW logFont{};
    // With no font to copy the control keeps drawing with whatever it has, never switching.
    if (!font || GetObjectW(font, sizeof(logFont), &logFont) != sizeof(logFont)) {
        m_plainFont.Reset();
        m_underlinedFont.Reset();
        return;
    }
    m_plainFont.Reset(CreateFontIndirectW(&logFont));
    logFont.lfUnderline = TRUE;
    m_underlinedFont.Reset(CreateFontIndirectW(&logFont));
}

static UniqueCursor LoadHelpProgramCursor() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    const std::wstring helpProgram = std::wstring(path, length) + L"\\winhlp32.exe";
    // As an image resource: none of its code runs in this elevated process.
    const UniqueModule module(
        LoadLibraryExW(helpProgram.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module)
        return {};
    // The module goes away below: keep a copy of the cursor that outlives it.
    const HCURSOR cursor = LoadCursorW(module.Get(), MAKEINTRESOURCEW(106));
    return UniqueCursor(cursor ? static_cast<HCURSOR>(CopyIcon(cursor)) : nullptr);
}

void CHyperLink::LoadHandCursor() {
    if (m_handCursor)
        return;
    m_helpCursor = LoadHelpProgramCursor();
    // Newer Windows ship no help program, or a stand-in without the cursor: the system's own
    // hand then, a shared cursor that is never destroyed.
    m_handCursor = m_helpCursor ? m_helpCursor.Get() : LoadCursorW(nullptr, IDC_HAND);
}

void CHyperLink::SetUnderlineMode(int mode) {
    if (m_underlineMode != mode && HasWindow()) {
        ApplyFont(m_plainFont);
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    m_underlineMode = mode;
}

void CHyperLink::ApplyFont(const UniqueFont& font) {
    if (font)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}

BOOL CHyperLink::DestroyWindow() {
    KillTimer(m_hWnd, m_hoverTimerId);
    return CStatic::DestroyWindow();
}

BOOL CHyperLink::PreTranslateMessage(MSG* msg) {
    m_tip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

bool CHyperLink::OnReflectCtlColor(HDC dc, UINT, HBRUSH& brush) {
    // Hover wins over visited.
    const COLORREF color = m_hovering ? m_hoverColor : m_visited ? m_visitedColor : m_normalColor;
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return true;
}

bool CHyperLink::OnReflectCommand(UINT notifyCode) {
    if (notifyCode != STN_CLICKED)
        return false;
    OnClicked();
    return true;
}

void CHyperLink::OnClicked() {
    // The pointer is still over the control, but a successful open must show visited now.
    m_hovering = FALSE;
    const LaunchCode code = OpenLink(m_target);
    m_visited = static_cast<int>(code) > 32;
    if (!m_visited && code != kLinkLeftToUser) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowLinkError(code);
    } else if (HasWindow()) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

LRESULT CHyperLink::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The dialog's modal loop never pre-translates, so the tooltip hears of the mouse here.
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST)
        RelayToTooltip();
    switch (msg) {
    case WM_SETCURSOR:
        return OnSetCursor();
    case WM_MOUSEMOVE:
        OnMouseMove();
        break;
    case WM_TIMER:
        OnTimer();
        break;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_GETDLGCODE:
        return OnGetDlgCode(reinterpret_cast<const MSG*>(lp));
    case WM_KEYDOWN:
        if (wp != VK_RETURN && wp != VK_SPACE)
            break;
        // Held down, the key repeats: one open per press.
        if (!(lp & (1 << 30)))
            OnClicked();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(m_hWnd, nullptr, TRUE);
        break;
    case WM_UPDATEUISTATE: {
        const LRESULT result = CStatic::WindowProc(msg, wp, lp);
        InvalidateRect(m_hWnd, nullptr, TRUE);
        return result;
    }
    case WM_GETOBJECT:
        if (const LRESULT object = AnswerLinkObjectRequest(m_hWnd, m_target, wp, lp))
            return object;
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    default:
        break;
    }
    return CStatic::WindowProc(msg, wp, lp);
}

void CHyperLink::RelayToTooltip() {
    MSG msg = CurrentMessage();
    msg.time = static_cast<DWORD>(GetMessageTime());
    const DWORD pos = GetMessagePos();
    msg.pt = POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    PreTranslateMessage(&msg);
}

LRESULT CHyperLink::OnSetCursor() {
    if (!m_handCursor)
        return FALSE;
    SetCursor(m_handCursor);
    return TRUE;
}

void CHyperLink::OnMouseMove() {
    if (m_hovering)
        return;
    m_hovering = TRUE;
    if (m_underlineMode == kUnderlineWhileHovering)
        ApplyFont(m_underlinedFont);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    SetTimer(m_hWnd, m_hoverTimerId, kHoverPeriodMs, nullptr);
}

void CHyperLink::OnTimer() {
    // Leaving is found by polling: a static gets no message when the pointer goes away.
    const DWORD pos = GetMessagePos();
    POINT point{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ScreenToClient(m_hWnd, &point);
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (PtInRect(&client, point))
        return;
    m_hovering = FALSE;
    KillTimer(m_hWnd, m_hoverTimerId);
    if (m_underlineMode != kUnderlineAlways)
        ApplyFont(m_plainFont);
    client.bottom += kLeaveRepaintExtra;
    InvalidateRect(m_hWnd, &client, TRUE);
}

LRESULT CHyperLink::OnEraseBkgnd(HDC dc) {
    RECT client;
    GetClientRect(m_hWnd, &client);
    const COLORREF previous = SetBkColor(dc, m_backColor);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
    return TRUE;
}

LRESULT CHyperLink::OnGetDlgCode(const MSG* msg) {
    // Enter and Space are the link's while it has the focus: Enter must not press Next.
    const LRESULT code = Default();
    if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE))
        return code | DLGC_WANTMESSAGE;
    return code;
}

void CHyperLink::OnPaint() {
    // The static paints into the paint context, so that the focus rectangle drawn after it is
    // clipped to the same update region and never inverts one already shown.
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    if (GetFocus() == m_hWnd && !(SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS))
        DrawFocus(dc);
    EndPaint(m_hWnd, &paint);
}

void CHyperLink::DrawFocus(HDC dc) {
    const SIZE extent = MeasureText(m_hWnd, GetWindowText());
    RECT client;
    GetClientRect(m_hWnd, &client);
    // Around the text where the static draws it, within the control.
    RECT focus{0, 0, extent.cx + 2, extent.cy};
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    if (style & SS_CENTER)
        OffsetRect(&focus, (client.right - focus.right) / 2, 0);
    else if (style & SS_RIGHT)
        OffsetRect(&focus, client.right - focus.right, 0);
    IntersectRect(&focus, &focus, &client);
    DrawFocusRect(dc, &focus);
}

void CHyperLink::OnDestroy() {
    // The window takes its timer and its tooltip with it; a later attach starts afresh.
    m_hovering = FALSE;
    KillTimer(m_hWnd, m_hoverTimerId);
    m_tip.DestroyWindow();
}
