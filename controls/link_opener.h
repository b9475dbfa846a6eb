// The link opener: hands a link target to the shell and, when the shell refuses it, starts
// the program registered for web pages with the target on its command line.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Launch codes are numbered like ShellExecute's: above 32 the target was opened.
using LaunchCode = UINT;

// Opens target through the shell, else through the ".htm" class's open command.
// A failed fallback returns the shell's code, so the caller reports the first refusal.
LaunchCode OpenLink(const std::wstring& target);

// Shows the error box for a failed launch code and returns when the user has closed it.
void ShowLinkError(LaunchCode code);

// The error box's message for a launch code.
std::wstring LinkErrorMessage(LaunchCode code);

// Reads the default value of an open key and closes the key. False when the key has no
// default value, an empty one, or one too long for the 260-character value buffer.
bool ReadDefaultValue(HKEY key, std::wstring& out);

// The command line for a web-page open command: cut before the first placeholder (a quoted
// "%1" is looked for before a bare %1), then a blank and the target. Nothing when the line
// would not fit the 520-character command buffer with its terminator.
std::optional<std::wstring> ComposeOpenCommand(const std::wstring& openCommand,
                                               const std::wstring& target);
