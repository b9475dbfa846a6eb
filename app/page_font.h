// The fonts of the pages' own texts: every page font is made here, from a short description.
#pragma once

#include <windows.h>

#include "framework/unique_handle.h"

struct PageFont {
    int height;
    int weight;
    // The text's colour; CLR_INVALID leaves the dialog's own.
    COLORREF colour = CLR_INVALID;
};

// Face "Derez" at the description's weight, zero for every other parameter; in another language
// than English, the page's own face and character set. Heights are pixels at 96 DPI: the font
// gets them scaled to the DPI the page is shown at.
UniqueFont CreatePageFont(const PageFont& font, HWND page);
void SetControlFont(HWND control, const UniqueFont& font);
