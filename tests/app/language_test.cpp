#include "framework/language.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/uninstall_dlg.h"
#include "controls/complete_dlg.h"
#include "removal/progress_dlg.h"
#include "res/resource.h"
#include "tests/framework/shown_dialog.h"

namespace {

// Each visible text of a page, in the font it is drawn with, fits its item as the item draws
// it (wrapped where it wraps, after the box of a radio button), and no item covers another.
void ExpectEveryTextWhole(CDialog& page) {
    std::vector<RECT> seen;
    for (HWND item = GetWindow(page.m_hWnd, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        wchar_t text[512] = {}, kind[16] = {};
        GetWindowTextW(item, text, 512);
        GetClassNameW(item, kind, 16);
        RECT r{}, overlap;
        GetWindowRect(item, &r);
        if (!IsWindowVisible(item) || r.bottom - r.top <= 2)
            continue; // the etched lines
        for (const RECT& other : seen)
            EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << GetDlgCtrlID(item) << " " << text;
        seen.push_back(r);
        const LONG style = GetWindowLongW(item, GWL_STYLE);
        if (!*text || lstrcmpiW(kind, L"Edit") == 0) // a field scrolls its text
            continue;
        GetClientRect(item, &r);
        const bool radio = (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
        if (radio)
            r.right -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
        const bool wraps = lstrcmpiW(kind, L"Static") == 0 && !(style & SS_CENTERIMAGE);
        RECT needed = {0, 0, r.right, 0};
        const HDC dc = GetDC(item);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)));
        DrawTextW(dc, text, -1, &needed, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        ReleaseDC(item, dc);
        EXPECT_LE(needed.right, r.right) << text;
        EXPECT_LE(needed.bottom, r.bottom) << text;
    }
}

const LANGID kLanguages[] = {0x0409, 0x0407, 0x040C, 0x0C0A, 0x0410, 0x0416,
                             0x0419, 0x0415, 0x041F, 0x0804, 0x0411, 0x0401};
const LANGID kArabic = 0x0401;

// Speaks a language while it lives; English afterwards, as the tests around expect.
struct Speaking {
    explicit Speaking(LANGID language) { UseLanguage(language); }
    ~Speaking() { UseLanguage(kEnglish); }
};

// A text's placeholders, access key and accelerator, in any order.
std::wstring Marks(const std::wstring& text) {
    std::wstring marks;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == L'%' || text[i] == L'&' || text[i] == L'\t')
            marks += text[i], marks += text[i] == L'%' ? text[i + 1] : L' ';
    std::ranges::sort(marks);
    return marks;
}

} // namespace

// Each language holds every text, in its own words, with the English text's placeholders, access
// key and accelerator; German shares only "Version:" with English.
TEST(Language, EveryLanguageHoldsEveryTextInItsOwnWords) {
    for (const LANGID language : kLanguages) {
        SCOPED_TRACE(language);
        for (UINT id = IDS_FIRST; id <= IDS_LAST; ++id) {
            const std::wstring english = LoadText(id, kEnglish), own = LoadText(id, language);
            EXPECT_FALSE(english.empty()) << id;
            EXPECT_EQ(Marks(own), Marks(english)) << id;
            const bool shared =
                language == kEnglish || (language == 0x0407 && id == IDS_VERSION_LABEL);
            EXPECT_EQ(own == english, shared) << id;
        }
    }
}

TEST(Language, ChoosesTheExactLanguageThenItsPrimaryThenEnglish) {
    const std::pair<LANGID, LANGID> cases[] = {
        {0x0407, 0x0407}, {0x0807, 0x0407}, {0x0416, 0x0416}, {0x0816, 0x0416},
        {0x080A, 0x0C0A}, {0x0404, 0x0804}, {0x0C01, 0x0401}, {0x0411, 0x0411},
        {0x0809, 0x0409}, {0x0441, 0x0409}, {0x0413, 0x0409}, {0x0000, 0x0409}};
    for (const auto& [wanted, chosen] : cases)
        EXPECT_EQ(MatchLanguage(GetModuleHandleW(nullptr), wanted), chosen) << wanted;
}

// The English lines are those scripts know; another language puts the path where it goes. A
// path is never read as a format.
TEST(Language, StepLinesPutThePathWhereTheLanguagePutsIt) {
    const std::wstring path = L"C:\\50%1 off";
    const std::tuple<RemovalStep, LANGID, std::wstring> cases[] = {
        {RemovalStep::kDeleteFile, kEnglish, L"Delete file C:\\50%1 off..."},
        {RemovalStep::kRemovedAtRestart, kEnglish, L"Removed at the next restart: C:\\50%1 off"},
        {RemovalStep::kDeleteFile, 0x0407, L"Datei C:\\50%1 off wird gelöscht..."},
        {RemovalStep::kDeleteFile, 0x041F, L"C:\\50%1 off dosyası siliniyor..."}};
    for (const auto& [step, language, line] : cases)
        EXPECT_EQ(StepLine(step, path, language), line);
}

// Run at 96, 144 and 192 DPI, as the English pages are. A process in a Japanese or Chinese
// locale, where Wine maps the fonts as such a Windows does, checks that language alone.
TEST(Dpi, EveryLanguageShowsEveryTextWhole) {
    const std::wstring path = L"C:\\Program Files (x86)\\Corvina Trend Navigator\\Help.chm";
    const LANGID own = MatchLanguage(GetModuleHandleW(nullptr), GetUserDefaultUILanguage());
    for (const LANGID language : kLanguages) {
        if (own != kEnglish && language != own)
            continue;
        SCOPED_TRACE(language);
        const Speaking speaking(language);
        CUninstallDlg welcome;
        CProgressDlg progress;
        CCompleteDlg removed, restart({{}, {path, path}}), stayed({{path}, {}}, L"C:\\Temp\\u.log");
        for (CDialog* page :
             std::initializer_list<CDialog*>{&welcome, &progress, &removed, &restart, &stayed}) {
            // The later pages name the product as a real registration does, not the test's.
            if (page != &welcome)
                AppStores().productName = L"Corvina Trend Navigator";
            ShownDialog shown(*page);
            if (page == &progress) {
                EXPECT_TRUE(test::WaitUntil([&] { return IsWindowEnabled(page->GetDlgItem(IDOK)); },
                                            20000));
            }
            ExpectEveryTextWhole(*page);
        }
    }
}

// The Arabic page reads from the right: banner and texts at the right edge, the banner's
// picture drawn there.
TEST(Language, ArabicPagesAreMirrored) {
    const Speaking speaking(kArabic);
    CUninstallDlg welcome;
    ShownDialog shown(welcome);
    EXPECT_TRUE(GetWindowLongW(welcome.m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    RECT page, banner, prompt;
    GetClientRect(welcome.m_hWnd, &page);
    MapWindowPoints(welcome.m_hWnd, nullptr, reinterpret_cast<POINT*>(&page), 2);
    GetWindowRect(welcome.GetDlgItem(IDC_BANNER), &banner);
    GetWindowRect(welcome.GetDlgItem(IDC_PROMPT), &prompt);
    EXPECT_EQ(banner.right, std::max(page.left, page.right));
    EXPECT_LT(prompt.right, banner.left);
    // The picture, drawn from the strip's far edge: the page's own drawing, mirrored.
    MapWindowPoints(nullptr, welcome.m_hWnd, reinterpret_cast<POINT*>(&banner), 2);
    InvalidateRect(welcome.m_hWnd, nullptr, TRUE);
    welcome.SendMessage(WM_PAINT);
    const HDC dc = GetDC(welcome.m_hWnd);
    const COLORREF picture = GetPixel(dc, banner.left + 20, banner.top + 20);
    ReleaseDC(welcome.m_hWnd, dc);
    EXPECT_GT(GetGValue(picture), GetRValue(picture) + 10) << std::hex << picture;
}
