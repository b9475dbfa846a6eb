// The shell's special folders: Program Files, where the product lies, and the common
// Programs folder of the Start menu, where its shortcut group lies.
#pragma once

#include <string>

// The folder the shell reports for a CSIDL, or empty when it has none.
std::wstring ShellFolderPath(int csidl);
