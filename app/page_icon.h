// The icon every page shows in its caption and on the taskbar.
#pragma once

#include <windows.h>

// The shared page icon (resource 128); a shared icon, never destroyed.
HICON LoadPageIcon();
// Sets icon as the page's big and small icon.
void SetPageIcon(HWND page, HICON icon);
