// The shell's special folders: Program Files, where the product lies, and the common
// Programs folder of the Start menu, where its shortcut group lies.
#pragma once

#include <string>
#include <vector>

// The folder the shell reports for a CSIDL, or empty when it has none.
std::wstring ShellFolderPath(int csidl);

// The Program Files folder of the family's 32-bit installer, named outright so that a 64-bit
// build finds the same product folder: "Program Files (x86)" on 64-bit Windows.
std::wstring InstallerProgramFiles();

// Every Program Files folder of the machine: the installer's and, on 64-bit Windows, the
// native one, which a 32-bit process names only through the registry's 64-bit view.
std::vector<std::wstring> ProgramFilesFolders();
