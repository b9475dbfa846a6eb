#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

#include "controls/hyperlink.h"
#include "framework/dialog.h"
#include "tests/controls/link_test_support.h"

using namespace link_test;

namespace {

const COLORREF kNormal = RGB(0, 0, 238), kVisited = RGB(85, 26, 139), kHover = RGB(255, 0, 0);

// A dialog with four links that runs a test script inside its own modal loop.
class LinkDialog : public CDialog {
  public:
    explicit LinkDialog(std::function<void(LinkDialog&)> script)
        : CDialog(300), m_script(std::move(script)) {}
    CHyperLink link, blank, named, fitted;

    void Show() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        SetCursorPos(0, 0); // only the test's own mouse messages hover
        EXPECT_EQ(DoModal(), IDOK);
    }

  protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, 301, link);
        DDX_Control(dx, 302, blank);
        DDX_Control(dx, 303, named);
        DDX_Control(dx, 304, fitted);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessageW(m_hWnd, WM_APP, 0, 0);
        return TRUE;
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == WM_APP) {
            m_script(*this);
            EndDialog(IDOK);
        }
        return msg == WM_APP;
    }

  private:
    std::function<void(LinkDialog&)> m_script;
};

COLORREF TextColour(const CHyperLink& control, int* mode = nullptr, LRESULT* brush = nullptr) {
    const HDC dc = GetDC(control.m_hWnd);
    const LRESULT answer =
        SendMessageW(control.GetParent(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control.m_hWnd));
    const COLORREF colour = GetTextColor(dc);
    if (mode)
        *mode = GetBkMode(dc);
    if (brush)
        *brush = answer;
    ReleaseDC(control.m_hWnd, dc);
    return colour;
}

bool Underlined(const CHyperLink& control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(control.SendMessage(WM_GETFONT)), sizeof(font), &font);
    return font.lfUnderline;
}

// Tool 1 of the tooltip that serves the control: its text and rectangle.
std::pair<std::wstring, RECT> Tool(const CHyperLink& control) {
    wchar_t text[1100] = {};
    TTTOOLINFOW info{sizeof(info), 0, control.m_hWnd, 1, {}, nullptr, text, 0, nullptr};
    for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr));)
        if (SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) {
            SendMessageW(tip, TTM_GETTEXTW, 1100, reinterpret_cast<LPARAM>(&info));
            return {text, info.rect};
        }
    return {};
}

RECT ParentRect(const CHyperLink& control) {
    RECT rect;
    GetWindowRect(control.m_hWnd, &rect);
    MapWindowPoints(nullptr, control.GetParent(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b);
}

void Click(const CHyperLink& control) {
    control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    control.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void Pump() {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
        DispatchMessageW(&msg);
}

// Runs the thread's messages (the hover timer's among them) until the hover ends, 2 s at most.
bool HoverEnds(const CHyperLink& control) {
    for (const ULONGLONG end = GetTickCount64() + 2000; GetTickCount64() < end; Sleep(10)) {
        Pump();
        if (TextColour(control) != kHover)
            return true;
    }
    return false;
}

} // namespace

TEST(FitRectToText, KeepsTheAnchoredSideAndTheBorder) {
    const auto fit = [](RECT outer, RECT inner, SIZE text, LONG style) {
        const RECT r = FitRectToText(outer, inner, text, style);
        return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
    };
    using E = std::vector<LONG>;
    const RECT at{10, 20, 210, 40}, high{0, 0, 100, 21}, bordered{12, 22, 208, 38};
    EXPECT_EQ(fit(at, at, {50, 13}, SS_LEFT), (E{10, 20, 60, 33}));
    EXPECT_EQ(fit(at, at, {50, 13}, SS_RIGHT), (E{160, 20, 210, 33}));
    EXPECT_EQ(fit(at, at, {50, 20}, SS_CENTER), (E{85, 20, 135, 40}));
    EXPECT_EQ(fit(at, at, {250, 20}, SS_CENTER), (E{-15, 20, 235, 40}));
    EXPECT_EQ(fit(at, at, {251, 20}, SS_CENTER), (E{-15, 20, 235, 40})) << "truncates toward 0";
    EXPECT_EQ(fit(high, high, {100, 16}, SS_CENTERIMAGE), (E{0, 2, 100, 19}));
    EXPECT_EQ(fit(at, bordered, {50, 13}, SS_LEFT), (E{10, 20, 64, 37}));
}

TEST(HyperLink, AttachFillsBlankTextAndTooltipAndFitsInParentCoordinates) {
    LinkDialog dialog([](LinkDialog& d) {
        EXPECT_EQ(d.blank.GetWindowText(), L" ");
        EXPECT_EQ(Tool(d.link).first, L" ") << "a target never set is one blank";
        EXPECT_EQ(Tool(d.named).first, L"Manual") << "an empty target takes the item's text";
        d.link.SetLinkTarget(L"https://corvina.example/");
        EXPECT_EQ(Tool(d.link).first, L"https://corvina.example/");
        int mode = 0;
        LRESULT brush = 0;
        EXPECT_EQ(TextColour(d.link, &mode, &brush), kNormal);
        EXPECT_EQ(mode, TRANSPARENT);
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));

        const RECT before = ParentRect(d.fitted), tool = Tool(d.fitted).second;
        d.fitted.SetFitToText(false);
        d.fitted.FitToText();
        EXPECT_TRUE(Same(ParentRect(d.fitted), before));
        const HDC dc = GetDC(d.fitted.m_hWnd);
        SelectObject(dc, reinterpret_cast<HFONT>(d.fitted.SendMessage(WM_GETFONT)));
        SIZE text{};
        GetTextExtentPoint32W(dc, L"Fit this text", 13, &text);
        ReleaseDC(d.fitted.m_hWnd, dc);
        d.fitted.SetFitToText(true);
        const RECT after = ParentRect(d.fitted);
        EXPECT_EQ((std::vector<LONG>{after.left, after.top, after.right, after.bottom}),
                  (std::vector<LONG>{before.left, before.top, before.left + text.cx,
                                     before.top + text.cy}));
        EXPECT_TRUE(Same(Tool(d.fitted).second, tool)) << "the tool keeps its rectangle";
    });
    dialog.named.SetLinkTarget(L"");
    dialog.Show();
}

TEST(HyperLink, ColoursFollowHoverVisitsAndFailedOpens) {
    RecordFile record;
    ScopedHtmAssociation association(RecorderOpenCommand());
    const std::wstring page = L"C:\\corvina-missing\\page.htm";
    LinkDialog dialog([&](LinkDialog& d) {
        d.link.SetLinkTarget(page);
        d.link.SendMessage(WM_MOUSEMOVE);
        EXPECT_EQ(TextColour(d.link), kHover);
        EXPECT_TRUE(Underlined(d.link));
        RECT over;
        GetWindowRect(d.link.m_hWnd, &over);
        SetCursorPos(over.left + 2, over.top + 2);
        PostMessageW(d.link.m_hWnd, WM_TIMER, 100, 0);
        Pump();
        EXPECT_EQ(TextColour(d.link), kHover) << "a tick with the pointer inside keeps hovering";
        SetCursorPos(0, 0);
        EXPECT_TRUE(HoverEnds(d.link));
        EXPECT_EQ(TextColour(d.link), kNormal);
        EXPECT_FALSE(Underlined(d.link));

        d.link.SendMessage(WM_MOUSEMOVE);
        Click(d.link);
        EXPECT_EQ(record.Take(), L"\"" + RecorderPath() + L"\" -url  " + page);
        EXPECT_EQ(TextColour(d.link), kVisited) << "a click ends hovering at once";
        d.link.SendMessage(WM_MOUSEMOVE);
        EXPECT_EQ(TextColour(d.link), kHover) << "hover wins over visited";
        EXPECT_TRUE(HoverEnds(d.link));
        EXPECT_EQ(TextColour(d.link), kVisited);

        association.SetOpenCommand(std::nullopt);
        std::optional<SeenBox> seen;
        {
            MessageBoxWatcher watcher;
            Click(d.link);
            seen = watcher.Seen();
        }
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->text, L"Unable to open hyperlink:\n\nThe specified file was not found.");
        EXPECT_EQ(seen->owner, d.m_hWnd) << "the box is modal to the page";
        EXPECT_EQ(TextColour(d.link), kNormal) << "a failed open clears visited";
        MessageBoxWatcher watcher;
        Click(d.blank);
        EXPECT_TRUE(watcher.Seen()) << "a target never set fails with the box";
    });
    dialog.Show();
}

TEST(HyperLink, ASecondShowingOfThePageAttachesAfresh) {
    int showing = 0;
    LinkDialog dialog([&](LinkDialog& d) {
        if (++showing == 1) {
            d.link.SetLinkTarget(L"https://corvina.example/");
            d.link.SendMessage(WM_MOUSEMOVE); // the page ends with the pointer over the link
            return;
        }
        EXPECT_EQ(Tool(d.link).first, L"https://corvina.example/");
        EXPECT_EQ(TextColour(d.link), kNormal) << "hovering ended with the old window";
        d.link.SendMessage(WM_MOUSEMOVE);
        EXPECT_TRUE(Underlined(d.link));
        EXPECT_TRUE(HoverEnds(d.link)) << "the new window has its own hover timer";
        EXPECT_FALSE(Underlined(d.link));
    });
    dialog.Show();
    dialog.Show();
    EXPECT_EQ(showing, 2);
}
