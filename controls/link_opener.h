// The link opener: hands a web or mail address to the shell, with the rights of the user who
// started the program, and, when the program runs as that plain user and the shell refuses a
// web address, has the program registered for web pages open it. Nothing else is ever handed
// to the shell.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Launch codes are numbered like ShellExecute's: above 32 the target was opened.
using LaunchCode = UINT;

// The program, running as no plain user, could not reach the desktop's shell and showed the
// address for the user to open: neither opened nor failed. Not above 32 as a signed number.
const LaunchCode kLinkLeftToUser = ~0u;

// Opens target through the shell: in this process only when it runs as a plain user (then, if
// refused, through the ".htm" class's open command), else through the desktop's shell.
// A failed fallback returns the shell's code, so the caller reports the first refusal.
// A target that is no web or mail address is refused with SE_ERR_NOASSOC.
LaunchCode OpenLink(const std::wstring& target);

// What a target opens: an http, https or mailto address as it stands, a bare e-mail address
// (as the registration stores it) after "mailto:". Nothing for anything else, such as a file
// or program name, a path or another scheme.
std::optional<std::wstring> LinkAddress(const std::wstring& target);

// Shows the error box for a failed launch code and returns when the user has closed it.
void ShowLinkError(LaunchCode code);

// The error box's message for a launch code.
std::wstring LinkErrorMessage(LaunchCode code);

// Reads the default value of an open key and closes the key. False when the key has no
// default value, an empty one, or one too long for the 260-character value buffer.
bool ReadDefaultValue(HKEY key, std::wstring& out);

// A web-page open command taken apart: the program, and its arguments before the first
// placeholder (a quoted "%1" is looked for before a bare %1) followed by the address as one
// quoted argument. Nothing when the command names no program or the whole would not fit the
// 520-character command buffer.
struct OpenCommand {
    std::wstring program;
    std::wstring parameters;
};
std::optional<OpenCommand> ComposeOpenCommand(const std::wstring& openCommand,
                                              const std::wstring& address);
