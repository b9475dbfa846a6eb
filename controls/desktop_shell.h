// Opening through the desktop's shell: a program started there runs with the rights of the
// user who owns the desktop, not with an elevated caller's.
#pragma once

#include <string>

// Has the desktop's shell open file with the verb "open" and the given parameters (which may
// be empty). False when the shell cannot be reached; once reached, the shell reports nothing.
bool ShellExecuteAsDesktopUser(const std::wstring& file, const std::wstring& parameters);
