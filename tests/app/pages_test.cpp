#include <windows.h>
#include <gtest/gtest.h>

#include "app/banner.h"
#include "app/uninstall_dlg.h"
#include "res/resource.h"
#include "controls/complete_dlg.h"
#include "removal/progress_dlg.h"
#include "tests/framework/shown_dialog.h"
#include "tests/planted_links.h"

namespace {

// Holds the worker before its last line, so that the test can try to leave the page meanwhile.
struct HeldProgressPage : CProgressDlg {
    void AddLine(const std::wstring& line) override {
        if (line == L"Done.")
            SignalObjectAndWait(holding.Get(), release.Get(), INFINITE, FALSE);
        CProgressDlg::AddLine(line);
    }
    UniqueKernelHandle holding{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The average colour of a 9 x 9 block of what the page shows around a point.
COLORREF Shown(HWND page, int x, int y) {
    HDC dc = GetDC(page);
    int sum[3] = {};
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
            const COLORREF pixel = GetPixel(dc, x + dx, y + dy);
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

// The welcome page's labels and links: each shows its whole text, in the font it is drawn
// with, and none covers another.
TEST(Dpi, EveryLabelShowsItsWholeText) {
    CUninstallDlg welcome;
    ShownDialog shown(welcome);
    std::vector<RECT> seen;
    for (HWND item = GetWindow(welcome.m_hWnd, GW_CHILD); item;
         item = GetWindow(item, GW_HWNDNEXT)) {
        wchar_t text[256] = {};
        const int length = GetWindowTextW(item, text, 256), id = LOWORD(GetDlgCtrlID(item));
        if (!length || id < IDC_PUBLISHER || id == IDC_NOTE)
            continue; // the buttons and the texts of several lines
        const HDC dc = GetDC(item);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, length, &extent);
        ReleaseDC(item, dc);
        RECT r, overlap;
        GetClientRect(item, &r);
        EXPECT_LE(extent.cx, r.right) << text;
        GetWindowRect(item, &r);
        for (const RECT& other : seen)
            EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << text;
        seen.push_back(r);
    }
    EXPECT_EQ(seen.size(), 8u);
}

TEST(ProgressPage, CannotBeLeftWhileTheRemovalRuns) {
    HeldProgressPage page;
    ShownDialog shown(page);
    ASSERT_EQ(WaitForSingleObject(page.holding.Get(), 20000), WAIT_OBJECT_0);
    // Next before the worker disabled it, Escape, the Close box: each handled on return.
    SendMessageW(page.m_hWnd, WM_COMMAND, IDOK, 0);
    SendMessageW(page.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(page.m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(page.m_hWnd));
    SetEvent(page.release.Get());
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowEnabled(page.GetDlgItem(IDOK)); }, 20000));
    EXPECT_EQ(shown.End(), IDOK);
}
