// The fit check of the pages' texts, which the tests of each language share.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "framework/dialog.h"

namespace test {

// Each visible text of a page, in the font it is drawn with, fits its item as the item draws
// it (wrapped where it wraps, after the box of a radio button), and no item covers another.
inline void ExpectEveryTextWhole(CDialog& page) {
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

} // namespace test
