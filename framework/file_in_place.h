// Files an elevated program writes where a user without elevation could plant a link first:
// %TEMP%, or a folder named on the command line; and what it asks of a handle to tell where a
// file truly lies, which the link-safe deletions ask too.
#pragma once

#include <windows.h>

#include <string>

#include "framework/unique_handle.h"

// The full path, its steps in the long form final paths spell (%TEMP% often has 8.3 steps)
// where they exist. Empty when the path is not one.
std::wstring LongFullPath(const std::wstring& path);

// The system's full name of a file or folder reached through handle, "\\?\C:\..." or
// "\\?\UNC\...": where it truly lies. Empty when it cannot be told.
std::wstring FinalPath(HANDLE handle);

// Opens path only to tell which file it is (its attributes, index and final path), following
// links as the loader does; null when it cannot be opened.
UniqueFileHandle OpenToIdentify(const std::wstring& path);

// The running program's own file, opened to tell which file it is.
UniqueFileHandle OpenOwnProgramFile();

// The attributes of what handle reaches, the link itself where it was opened as one;
// INVALID_FILE_ATTRIBUTES when they cannot be read.
DWORD HandleAttributes(HANDLE handle);

// Deletes what handle reaches, opened with DELETE, once the last handle on it closes.
bool DeleteByHandle(HANDLE handle);

// Opens path for writing, emptied, only where it truly lies: no link at its place or above it,
// no second name for it, and, with linkedUserToo, in a folder where the user behind an
// elevation could add it and, when it exists, write it (see LinkedUserMay). The file is
// emptied only once all that holds, and one this call created is deleted again when refused.
// Null with error set otherwise.
UniqueFileHandle CreateFileInPlace(const std::wstring& path, DWORD share, bool linkedUserToo,
                                   DWORD& error);

// Opens path for writing, emptied, as a file that only SYSTEM and the Administrators own and may
// write, where it truly lies (the same checks as above). A file already there is kept only when
// it is such a file; any other is deleted and made anew, with an access list of SYSTEM and the
// Administrators alone. Null with error set otherwise.
UniqueFileHandle CreateAdministrationFile(const std::wstring& path, DWORD share, DWORD& error);
