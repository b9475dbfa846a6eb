// The user behind an elevation. With UAC, an administrator's elevated process carries a
// linked token: the same user without administrator rights. Where that user can aim the
// program (folders of their own, TMP), the program does only what that user could do too.
#pragma once

#include <windows.h>

// True in an elevated process whose user also has an unelevated token, linked to it.
bool RunsElevatedBesideTheUser();

// True unless the process runs elevated with a linked token and the security descriptor of
// object (a file or folder open with READ_CONTROL) refuses that token access.
bool LinkedUserMay(HANDLE object, ACCESS_MASK access);

// True only when the process's token is positively a plain user's: not elevated, not SYSTEM,
// LocalService or NetworkService, and no member of the Administrators. False whenever the
// token cannot be read.
bool RunsAsPlainUser();

// True when token (open with TOKEN_QUERY) is elevated or SYSTEM's.
bool IsElevatedOrSystem(HANDLE token);
