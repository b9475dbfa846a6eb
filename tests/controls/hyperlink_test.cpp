#include "controls/hyperlink.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <atomic>

#include "controls/link_opener.h"
#include "tests/framework/shown_dialog.h"

namespace {

using Look = std::pair<COLORREF, bool>; // the text colour and whether the font underlines
const Look kNormal{RGB(0, 0, 238), false}, kVisited{RGB(85, 26, 139), false},
    kHover{RGB(255, 0, 0), true};
bool Underlines(WPARAM font) {
    LOGFONTW face{};
    return GetObjectW(reinterpret_cast<HFONT>(font), sizeof(face), &face) && face.lfUnderline;
}

// What reaches the link, as hooks on its thread see it before the link does: each WM_SETFONT
// (whether the font underlines, and the redraw flag) and the timer messages it takes.
HWND g_link;
std::vector<std::pair<bool, LPARAM>> g_setFonts;
std::atomic<int> g_timers;
LRESULT CALLBACK RecordSetFont(int code, WPARAM wp, LPARAM lp) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (sent->hwnd == g_link && sent->message == WM_SETFONT)
        g_setFonts.push_back({Underlines(sent->wParam), sent->lParam});
    return CallNextHookEx(nullptr, code, wp, lp);
}
LRESULT CALLBACK CountTimers(int code, WPARAM wp, LPARAM lp) {
    const auto* taken = reinterpret_cast<const MSG*>(lp);
    g_timers += taken->hwnd == g_link && taken->message == WM_TIMER;
    return CallNextHookEx(nullptr, code, wp, lp);
}

// The fixture is a page with one link, shown for each test.
class HyperLink : public ::testing::Test, public CDialog {
  protected:
    HyperLink() : CDialog(300) {}
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 301, link); }
    // What the link answers its parent's colour request with, and its font.
    Look Shown() const {
        const HDC dc = GetDC(link.m_hWnd);
        ::SendMessageW(m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(link.m_hWnd));
        const Look look{GetTextColor(dc), Underlines(link.SendMessage(WM_GETFONT))};
        ReleaseDC(link.m_hWnd, dc);
        return look;
    }
    // The pointer comes over the link and stays there.
    void Enter() const {
        RECT r;
        GetWindowRect(link.m_hWnd, &r);
        SetCursorPos(r.left + 2, r.top + 2);
        link.SendMessage(WM_MOUSEMOVE);
    }
    test::ScopedUrlCommand web{L"http", L"\"" LINK_RECORDER_EXE L"\" \"%1\""};
    CHyperLink link;
    BOOL pointerAway = SetCursorPos(0, 0); // only the test's own mouse messages hover
    ShownDialog shown{*this};
};

} // namespace

// The hover switches fonts with one redrawing WM_SETFONT each way, and it and its timer end
// when the pointer goes, even when the link's thread reads a late move.
TEST_F(HyperLink, EndsTheHoverAndItsTimerWhenThePointerLeaves) {
    g_link = link.m_hWnd;
    const DWORD thread = GetWindowThreadProcessId(m_hWnd, nullptr);
    const HHOOK hooks[] = {SetWindowsHookExW(WH_CALLWNDPROC, &RecordSetFont, nullptr, thread),
                           SetWindowsHookExW(WH_GETMESSAGE, &CountTimers, nullptr, thread)};
    Enter();
    Enter(); // still inside: nothing more
    EXPECT_TRUE(test::WaitUntil([] { return g_timers > 0; }, 2000)) << "no polling";
    test::WaitUntil([&] { return SetCursorPos(0, 0) && Shown() != kHover; }, 2000);
    EXPECT_EQ(Shown(), kNormal);
    g_timers = 0;
    Sleep(1000); // many times the polling period
    for (HHOOK hook : hooks)
        UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_timers, 0) << "the timer outlived the hover";
    EXPECT_EQ(g_setFonts, (std::vector<std::pair<bool, LPARAM>>{{true, TRUE}, {false, TRUE}}));
}

TEST_F(HyperLink, ShowsTheSystemHandWhereTheHelpProgramHasNone) {
    // The prefix, like newer Windows, has no help program with the hand cursor.
    EXPECT_EQ(link.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link.m_hWnd),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    CURSORINFO shown{sizeof shown, 0, nullptr, {}};
    GetCursorInfo(&shown);
    EXPECT_EQ(shown.hCursor, LoadCursorW(nullptr, IDC_HAND));
}

// What a screen reader learns of the link; its default action opens it as a click does, and
// the shell hands the address to the recorder. Opened, it shows visited, but hover wins.
TEST_F(HyperLink, IsAnnouncedAsALinkThatOpensItsTarget) {
    if (!test::WaitForDesktopShell())
        GTEST_SKIP() << test::kNoDesktopShell;
    link.SetLinkTarget(L"http://corvina.example/");
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(link.m_hWnd, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&object)),
              S_OK);
    VARIANT self{}, role{};
    self.vt = VT_I4; // CHILDID_SELF
    BSTR texts[3] = {};
    object->get_accRole(self, &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);
    object->get_accName(self, &texts[0]), object->get_accValue(self, &texts[1]);
    object->get_accDefaultAction(self, &texts[2]);
    EXPECT_EQ(std::vector<std::wstring>(texts, texts + 3),
              (std::vector<std::wstring>{L"Corvina Labs", L"http://corvina.example/", L"Jump"}));
    EXPECT_EQ(object->accDoDefaultAction(self), S_OK);
    // The desktop's shell may be busy with another test program of the prefix.
    EXPECT_TRUE(test::WaitUntil([&] { return Shown() == kVisited; }, 10000));
    Enter();
    EXPECT_EQ(Shown(), kHover);
    for (BSTR text : texts)
        SysFreeString(text);
    object->Release();
    CoUninitialize();
}

TEST(LinkAddress, OpensOnlyWebAndMailAddresses) {
    const std::pair<const wchar_t*, const wchar_t*> opened[] = {
        {L"http://corvina.example/", L"http://corvina.example/"},
        {L"HTTPS://corvina.example", L"HTTPS://corvina.example"},
        {L"mailto:support@corvina.example", L"mailto:support@corvina.example"},
        {L"support@corvina.example", L"mailto:support@corvina.example"}}; // as registered
    for (const auto& [target, address] : opened)
        EXPECT_EQ(LinkAddress(target), address) << target;
    for (const wchar_t* target :
         {L"none", L"marker", L"marker.exe", L"", L"C:\\Windows\\notepad.exe",
          L"\\\\server\\share\\x.exe", L"file:///C:/Windows/notepad.exe", L"javascript:alert(1)",
          L"http:", L"http://x\" -new", L"a@b\\c.exe", L"C:\\a@b"})
        EXPECT_EQ(LinkAddress(target), std::nullopt) << target;
}

// Where the shell refuses a web address, the web-page program gets it as one quoted argument.
TEST(LinkAddress, GoesToTheWebPageProgramAsOneQuotedArgument) {
    const std::pair<const wchar_t*, std::optional<std::pair<std::wstring, std::wstring>>> cases[] =
        {{L"\"C:\\Web\\b.exe\" -url \"%1\" -new", {{L"C:\\Web\\b.exe", L"-url \"http://x/\""}}},
         {L"C:\\b.exe %1 \"%1\"", {{L"C:\\b.exe", L"%1 \"http://x/\""}}},
         {L"C:\\b.exe", {{L"C:\\b.exe", L"\"http://x/\""}}},
         {L" \"%1\"", std::nullopt}};
    for (const auto& [command, expected] : cases) {
        const std::optional<OpenCommand> split = ComposeOpenCommand(command, L"http://x/");
        EXPECT_EQ(split ? std::optional(std::pair(split->program, split->parameters))
                        : std::nullopt,
                  expected)
            << command;
    }
}
