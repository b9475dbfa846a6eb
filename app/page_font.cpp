#include "app/page_font.h"

UniqueFont CreatePageFont(const PageFont& font, HWND page) {
    HDC dc = GetDC(page);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (dc)
        ReleaseDC(page, dc);
    return UniqueFont(CreateFontW(MulDiv(font.height, dpi, USER_DEFAULT_SCREEN_DPI), 0, 0, 0,
                                  font.weight, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, L"Derez"));
}

void SetControlFont(HWND control, const UniqueFont& font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}
