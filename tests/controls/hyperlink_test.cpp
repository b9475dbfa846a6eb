#include <windows.h>
#include <gtest/gtest.h>

#include <functional>

#include "controls/hyperlink.h"
#include "controls/link_opener.h"
#include "framework/dialog.h"
#include "tests/controls/link_test_support.h"

using namespace link_test;

bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b);
}

namespace {

const COLORREF kNormal = RGB(0, 0, 238), kVisited = RGB(85, 26, 139), kHover = RGB(255, 0, 0);

// A dialog with a link (301) and an item with no text (302) that runs a test script as it starts.
struct LinkPage : CDialog {
    LinkPage() : CDialog(300) {}
    BOOL OnInitDialog() override {
        link.SubclassDlgItem(301, this);
        blank.SubclassDlgItem(302, this);
        script();
        EndDialog(IDOK);
        return TRUE;
    }
    CHyperLink link, blank;
    std::function<void()> script;
};

// The text colour the link answers its parent's colour request with, and whether it underlines.
std::pair<COLORREF, bool> LookOf(const CHyperLink& control) {
    const HDC dc = GetDC(control.m_hWnd);
    SendMessageW(control.GetParent(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control.m_hWnd));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(control.SendMessage(WM_GETFONT)), sizeof(font), &font);
    const std::pair look{GetTextColor(dc), font.lfUnderline != 0};
    ReleaseDC(control.m_hWnd, dc);
    return look;
}

} // namespace

TEST(FitRectToText, KeepsTheAnchoredSideAndTheBorder) {
    const RECT r{10, 20, 210, 40}, inner{12, 22, 208, 38};
    EXPECT_EQ(FitRectToText(r, r, {50, 13}, SS_LEFT), (RECT{10, 20, 60, 33}));
    EXPECT_EQ(FitRectToText(r, inner, {50, 13}, SS_RIGHT), (RECT{156, 20, 210, 37}));
    EXPECT_EQ(FitRectToText(r, r, {50, 20}, SS_CENTER), (RECT{85, 20, 135, 40}));
    // The odd pixel of a centred side is lost, toward 0 when the control grows.
    EXPECT_EQ(FitRectToText(r, r, {251, 15}, SS_CENTER | SS_CENTERIMAGE), (RECT{-15, 22, 235, 38}));
}

TEST(LinkOpener, ComposesTheCommandLineAndTheErrorText) {
    const std::wstring url = L"http://corvina.example/", c400(400, L'c');
    const std::pair<std::wstring, std::wstring> commands[] = {
        {LR"("C:\W\web.exe" -url "%1")", LR"("C:\W\web.exe" -url  )"},
        {LR"(C:\W\web.exe %1 -new)", LR"(C:\W\web.exe  )"},
        {LR"(C:\W\web.exe)", LR"(C:\W\web.exe )"},
        {LR"(C:\W\web.exe %1 "%1" -x)", LR"(C:\W\web.exe %1  )"}};
    for (const auto& [command, head] : commands)
        EXPECT_EQ(ComposeOpenCommand(command, url), head + url);
    // 519 characters and the terminator fill the 520-character buffer.
    EXPECT_EQ(ComposeOpenCommand(c400, std::wstring(118, L't')).value_or(L"").size(), 519u);
    EXPECT_FALSE(ComposeOpenCommand(c400, std::wstring(119, L't')));

    const std::pair<LaunchCode, std::wstring> errors[] = {
        {0, L"The operating system is out\nof memory or resources."},
        {26, L"A sharing violation occurred. "},
        {1, L"Unknown Error (1) occurred."},
        {33, L"Unknown Error (33) occurred."}};
    for (const auto& [code, text] : errors)
        EXPECT_EQ(LinkErrorMessage(code), L"Unable to open hyperlink:\n\n" + text);
}

TEST(HyperLink, OpensThroughTheShellOrTheAssociationFitsAndColoursByState) {
    RecordFile record;
    // WinExec finds the recording program beside the test program.
    ScopedHtmAssociation association(L"link_recorder.exe -url \"%1\"");
    LinkPage d;
    d.script = [&] {
        // The error box runs its modal loop on this thread: a page timer reads and ends it there.
        static wchar_t seen[512]; // the text of the last one
        SetTimer(
            d.m_hWnd, 1, 50, [](HWND page, UINT, UINT_PTR, DWORD) __attribute__((stdcall)) {
                if (const HWND box = GetActiveWindow(); box && box != page) {
                    GetDlgItemTextW(box, 0xFFFF, seen, 512);
                    EXPECT_EQ(GetWindow(box, GW_OWNER), page) << "the box is modal to the page";
                    EndDialog(box, IDOK);
                }
            });
        EXPECT_EQ(d.blank.GetWindowText(), L" ");
        RECT was, now;
        GetWindowRect(d.link.m_hWnd, &was);
        d.link.SetFitToText(false);
        d.link.FitToText();
        GetWindowRect(d.link.m_hWnd, &now);
        EXPECT_EQ(now, was) << "fitting is off";
        const HDC dc = GetDC(d.link.m_hWnd);
        SelectObject(dc, reinterpret_cast<HFONT>(d.link.SendMessage(WM_GETFONT)));
        SIZE text{};
        GetTextExtentPoint32W(dc, L"Corvina Labs", 12, &text);
        ReleaseDC(d.link.m_hWnd, dc);
        d.link.SetFitToText(true);
        GetWindowRect(d.link.m_hWnd, &now);
        EXPECT_EQ(now, (RECT{was.left, was.top, was.left + text.cx, was.top + text.cy}));

        d.link.SetLinkTarget(L"C:\\corvina-missing\\page.htm"); // the shell cannot open it
        d.link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(record.Take(), L"link_recorder.exe -url  C:\\corvina-missing\\page.htm");
        EXPECT_EQ(LookOf(d.link), std::pair(kVisited, false));
        d.link.SendMessage(WM_MOUSEMOVE);
        EXPECT_EQ(LookOf(d.link), std::pair(kHover, true)) << "hover wins over visited";
        SetCursorPos(now.left + 2, now.top + 2);
        PostMessageW(d.link.m_hWnd, WM_TIMER, 100, 0);
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageW(&msg);
        EXPECT_EQ(LookOf(d.link).first, kHover) << "a tick with the pointer inside keeps hovering";
        SetCursorPos(0, 0);
        // The hover timer notices the pointer has left, within 2 s.
        for (int tries = 0; tries < 200 && LookOf(d.link).first == kHover; ++tries, Sleep(10))
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
                DispatchMessageW(&msg);
        EXPECT_EQ(LookOf(d.link), std::pair(kVisited, false)) << "hovering ends";

        association.SetOpenCommand(std::nullopt);
        SetActiveWindow(d.m_hWnd); // as a real click would: the box goes to the active window
        d.link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_STREQ(seen, L"Unable to open hyperlink:\n\nThe specified file was not found.");
        EXPECT_EQ(LookOf(d.link).first, kNormal) << "a failed open clears visited";
        d.link.SendMessage(WM_MOUSEMOVE); // the page ends with the pointer over the link
    };
    SetCursorPos(0, 0); // only the test's own mouse messages hover
    EXPECT_EQ(d.DoModal(), IDOK);
    d.script = [&] { EXPECT_EQ(LookOf(d.link), std::pair(kNormal, false)) << "hovering ended"; };
    EXPECT_EQ(d.DoModal(), IDOK);

    // The value buffer holds 260 characters with the terminator.
    std::wstring out, v259(259, L'v');
    const std::pair<std::optional<std::wstring>, bool> values[] = {
        {v259, true}, {v259 + L'v', false}, {L"", false}, {{}, false}};
    for (const auto& [value, ok] : values) {
        association.SetOpenCommand(value);
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CLASSES_ROOT, kOpenCommandKey, 0, KEY_QUERY_VALUE, &key);
        EXPECT_EQ(ReadDefaultValue(key, out), ok) << value.value_or(L"(none)").size();
    }
    association.SetOpenCommand(L"C:\\corvina-nowhere.exe \"%1\"");
    EXPECT_GT(OpenLink(L"link_recorder.exe"), 32u) << "what the shell opens needs no association";
}
