#include <windows.h>
#include <gtest/gtest.h>

#include "app/banner.h"
#include "app/page_loop.h"
#include "app/uninstall_dlg.h"
#include "controls/complete_dlg.h"
#include "removal/progress_dlg.h"
#include "res/resource.h"
#include "tests/framework/shown_dialog.h"
#include "tests/planted_links.h"

namespace {

// Holds the worker before its last line, so that the test can try to leave the page meanwhile.
struct HeldProgressPage : CProgressDlg {
    void Report(RemovalStep step, const std::wstring& path) override {
        if (step == RemovalStep::kDone)
            SignalObjectAndWait(holding.Get(), release.Get(), INFINITE, FALSE);
        CProgressDlg::Report(step, path);
    }
    UniqueKernelHandle holding{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The average colour of a 9 x 9 block of what the page shows around a point.
COLORREF Shown(HWND page, int x, int y) {
    HDC dc = GetDC(page);
    int sum[3] = {};
    for (int i = 0; i < 81; ++i) {
        const COLORREF pixel = GetPixel(dc, x + i % 9 - 4, y + i / 9 - 4);
        sum[0] += GetRValue(pixel), sum[1] += GetGValue(pixel), sum[2] += GetBValue(pixel);
    }
    ReleaseDC(page, dc);
    return RGB(sum[0] / 81, sum[1] / 81, sum[2] / 81);
}

// The banner's circuit board is green wherever the emblem is not; a page's grey is not.
bool Green(COLORREF c) {
    return GetGValue(c) > GetRValue(c) + 10 && GetGValue(c) > GetBValue(c) + 10;
}

} // namespace

TEST(Banner, PagesDrawTheProgramsPictureWhateverTheFileHolds) {
    CUninstallDlg welcome; // draws on a window context, the others on the paint context
    CCompleteDlg complete;
    const std::wstring file = BannerFilePath();
    for (CDialog* page : {static_cast<CDialog*>(&welcome), static_cast<CDialog*>(&complete)}) {
        ShownDialog shown(*page);
        RECT strip;
        GetWindowRect(page->GetDlgItem(IDC_BANNER), &strip);
        MapWindowPoints(nullptr, page->m_hWnd, reinterpret_cast<POINT*>(&strip), 2);
        const int h = strip.bottom - strip.top;
        for (const std::wstring& replace :
             {L"/usr/bin/convert -size 160x310 xc:blue jpeg:" + test::Unix(file),
              L"echo garbage >" + test::Unix(file)}) {
            SCOPED_TRACE(replace);
            test::Host(replace);
            InvalidateRect(page->m_hWnd, nullptr, TRUE);
            page->SendMessage(WM_PAINT); // on the page's thread, now
            EXPECT_TRUE(Green(Shown(page->m_hWnd, strip.left + h / 4, strip.top + h / 8)));
            // Drawn (h / 2) x h: the strip's last corner is the picture's, past it the page's.
            EXPECT_TRUE(Green(Shown(page->m_hWnd, strip.left + h / 2 - 6, strip.bottom - 6)));
            EXPECT_FALSE(Green(Shown(page->m_hWnd, strip.left + h / 2 + 6, strip.bottom - 6)));
        }
    }
}

// The banner file lies in the user's temporary folder.
TEST(Banner, LeavesTheTargetsOfPlantedLinksAsTheyWere) {
    test::ExpectPlantedLinksLeaveTargets(BannerFilePath(), [](const std::wstring& path) {
        WriteBannerFile(GetModuleHandleW(nullptr), path);
    });
}

// Run at 96, 144 and 192 DPI: fonts and page follow the display, the system stretches nothing.
TEST(Dpi, FontsAndPageSizeFollowTheDisplay) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(dpi == 96 || dpi == 144 || dpi == 192) << dpi;
    auto height = [](HWND control) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        return font.lfHeight;
    };
    CUninstallDlg welcome;
    ShownDialog shown(welcome);
    EXPECT_EQ(height(welcome.GetDlgItem(IDC_TITLE)), MulDiv(22, dpi, 96));
    EXPECT_EQ(height(welcome.GetDlgItem(IDC_PROMPT)), MulDiv(16, dpi, 96));
    RECT client, template_{0, 0, 317, 201};
    GetClientRect(welcome.m_hWnd, &client);
    MapDialogRect(welcome.m_hWnd, &template_);
    EXPECT_EQ(client.right, template_.right);
    EXPECT_EQ(client.bottom, template_.bottom);
}

namespace {

// Pages that give the script's results in turn, noting each page shown by its letter.
struct Script {
    std::vector<INT_PTR> results;
    int outcome; // the removal's exit code
    bool restartChosen;
    std::string shown;
} script;
template <char Letter> struct ScriptedPage {
    ScriptedPage() = default;
    explicit ScriptedPage(const Leftovers&) {}
    INT_PTR DoModal() {
        script.shown += Letter;
        return script.results.at(script.shown.size() - 1);
    }
    Leftovers Outcome() const { return {}; }
    int ExitCode() const { return script.outcome; }
    bool RestartChosen() const { return script.restartChosen; }
};

std::wstring ClipboardText() {
    std::wstring text;
    OpenClipboard(nullptr); // when it fails, so does the rest
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

} // namespace

// Exit codes as the Windows Installer's table has them: 1602 cancelled by the user, 1641 a
// restart started, 1 for a page that could not be shown.
TEST(PageLoop, EndsWithTheOutcomeOrTheUsersChoice) {
    using Case = std::tuple<std::vector<INT_PTR>, int, bool, std::string, int>;
    for (const auto& [results, outcome, restartChosen, shown, code] : std::initializer_list<Case>{
             {{IDCANCEL}, 0, false, "w", 1602},
             {{-1}, 0, false, "w", 1},
             {{IDOK, -1}, 0, false, "wp", 1},
             {{IDOK, IDCANCEL}, 3010, false, "wp", 3010},
             {{IDOK, IDOK, IDCANCEL}, 1603, false, "wpc", 1603},
             {{IDOK, IDOK, IDOK}, 0, false, "wpc", 0},
             {{IDOK, IDOK, IDCANCEL}, 3010, true, "wpc", 1641},
             {{IDOK, IDOK, -1}, 0, false, "wpc", 1},
             {{IDOK, IDC_PREV, IDOK, IDOK, IDCANCEL}, 0, false, "wpwpc", 0},
             {{IDOK, IDOK, IDC_PREV, IDCANCEL}, 3010, false, "wpcw", 3010}}) {
        SCOPED_TRACE(shown);
        script = {results, outcome, restartChosen, {}};
        ScriptedPage<'w'> welcome;
        EXPECT_EQ((RunPageLoop<ScriptedPage<'p'>, ScriptedPage<'c'>>(welcome)), code);
        EXPECT_EQ(script.shown, shown);
    }
}

// The page cannot be left while the removal runs. Its list then scrolls as far as its widest
// line in its own font; Ctrl+C and the context menu's item put every line on the clipboard,
// each ended with CR LF.
TEST(ProgressPage, IsLeftOnlyAtTheEndAndCopiesAllLines) {
    HeldProgressPage page;
    ShownDialog shown(page);
    ASSERT_EQ(WaitForSingleObject(page.holding.Get(), 20000), WAIT_OBJECT_0);
    // A scripted Next, Escape, the Close box: each handled on return.
    SendMessageW(page.m_hWnd, WM_COMMAND, IDOK, 0);
    SendMessageW(page.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(page.m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(page.m_hWnd));
    SetEvent(page.release.Get());
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowEnabled(page.GetDlgItem(IDOK)); }, 20000));
    const std::wstring longest = L"Delete file C:\\" + std::wstring(120, L'W') + L".ex4...";
    page.AddLine(longest);
    const HWND list = page.GetDlgItem(IDC_LIST);
    std::wstring all;
    for (const std::wstring& line : test::ListLines(list))
        all += line + L"\r\n";
    const HDC dc = GetDC(list);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SIZE widest{};
    GetTextExtentPoint32W(dc, longest.c_str(), static_cast<int>(longest.size()), &widest);
    ReleaseDC(list, dc);
    EXPECT_GE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), widest.cx);
    for (const bool menu : {false, true}) {
        SCOPED_TRACE(menu);
        if (OpenClipboard(nullptr))
            EmptyClipboard(), CloseClipboard();
        if (menu) {
            PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
            HWND popup = nullptr;
            // Only this process's open menu: other programs of the prefix may hold menus too.
            test::WaitUntil(
                [&] {
                    DWORD owner = 0;
                    popup = nullptr;
                    while ((popup = FindWindowExW(nullptr, popup, L"#32768", nullptr)) &&
                           (GetWindowThreadProcessId(popup, &owner), owner) !=
                               GetCurrentProcessId()) {
                    }
                    return popup && IsWindowVisible(popup);
                },
                5000);
            PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            PostMessageW(list, WM_CHAR, 3, 0); // what Ctrl+C types
        }
        EXPECT_TRUE(test::WaitUntil([&] { return ClipboardText() == all; }, 5000));
    }
    EXPECT_EQ(shown.End(), IDOK);
}
