#include "app/page_font.h"

UniqueFont CreatePageFont(const PageFont& font) {
    return UniqueFont(CreateFontW(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, 0, 0, 0,
                                  0, 0, L"Derez"));
}

void SetControlFont(HWND control, const UniqueFont& font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}
