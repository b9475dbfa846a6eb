// The accessible object of a link: the system's standard one for its window, told that it is
// a link, with the target as its value and opening as its default action.
#pragma once

#include <windows.h>

#include <string>

// The answer to WM_GETOBJECT for the link's client area; 0 leaves the message to the system.
LRESULT AnswerLinkObjectRequest(HWND link, const std::wstring& target, WPARAM wp, LPARAM lp);
