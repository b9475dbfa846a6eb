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

// Face "Derez" at the description's height and weight, zero for every other parameter.
UniqueFont CreatePageFont(const PageFont& font);
void SetControlFont(HWND control, const UniqueFont& font);
