// Deleting a file named by the installation log, which may lie in a folder the user without
// elevation owns (the terminal's data folder below AppData) and so can lay links in.
#pragma once

#include <windows.h>

#include <string>

// Codes this file reports that the headers of older SDKs lack.
inline constexpr DWORD kErrorDirectoryNotSupported = 336;
inline constexpr DWORD kErrorReparsePointEncountered = 4395;

// Deletes path, which must be a full path on a local drive ("X:\..."), without following a link:
// each folder on the way is opened below its parent's handle and refused when it is a reparse
// point, and the last step is deleted by handle only when it is a plain file. Where the process
// runs elevated with a linked token, a file outside the Program Files folders goes only if that
// user could delete it too. ERROR_SUCCESS when deleted; otherwise ERROR_INVALID_NAME (another form
// of path, or a drive that names another place), ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND
// (absent), ERROR_SHARING_VIOLATION or ERROR_LOCK_VIOLATION (held), kErrorDirectoryNotSupported (a
// folder), kErrorReparsePointEncountered (a link on the way or at its place), ERROR_ACCESS_DENIED
// (refused), or the system's code of another failure.
DWORD DeleteFileNoLinks(const std::wstring& path);
