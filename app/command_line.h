// The program's switches, for deployment engines that remove the product unattended.
#pragma once

#include <windows.h>

#include <string>

struct CommandLine {
    bool unattended = false; // /S or /quiet
    bool usage = false;      // /?
    std::wstring logPath;    // /LOG=path
    // The first argument that is none of ours; an error only together with /S.
    std::wstring unknown;
};

// Switches are case-insensitive; /LOG="a path" may quote its path. The first argument, the
// program's own path, is skipped.
CommandLine ParseCommandLine(const wchar_t* commandLine);

std::wstring UsageText();

// Writes text to the console of the process that started this one (a GUI program has
// none of its own), or to the standard handle it was given when that is a file or pipe.
void WriteToParentConsole(DWORD standardHandle, const std::wstring& text);
