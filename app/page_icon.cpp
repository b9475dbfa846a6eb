#include "app/page_icon.h"

#include "framework/win_app.h"
#include "res/resource.h"

HICON LoadPageIcon() {
    return LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_APP));
}

void SetPageIcon(HWND page, HICON icon) {
    SendMessageW(page, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(page, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}
