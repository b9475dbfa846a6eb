#include "app/page_font.h"

#include <cwchar>

#include "framework/language.h"

UniqueFont CreatePageFont(const PageFont& font, HWND page) {
    HDC dc = GetDC(page);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (dc)
        ReleaseDC(page, dc);
    LOGFONTW face{};
    // English keeps its face; another language takes the page's own, which the system maps to
    // a font of that language's script.
    const auto pageFont = reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0));
    if (UiLanguage() == kEnglish || !pageFont || !GetObjectW(pageFont, sizeof face, &face))
        face = LOGFONTW{};
    if (!face.lfFaceName[0])
        wcscpy(face.lfFaceName, L"Derez");
    return UniqueFont(CreateFontW(MulDiv(font.height, dpi, USER_DEFAULT_SCREEN_DPI), 0, 0, 0,
                                  font.weight, FALSE, FALSE, FALSE, face.lfCharSet, 0, 0, 0, 0,
                                  face.lfFaceName));
}

void SetControlFont(HWND control, const UniqueFont& font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}
