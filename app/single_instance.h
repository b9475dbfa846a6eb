// One Uninstall.exe at a time, of whichever product of the family and in whichever session:
// they all remove the same registration.
#pragma once

#include <windows.h>

#include <string>

// A global name would be anybody's to take first: creating an object in Global\ needs no
// privilege. The lock's name lies in a private namespace whose boundary holds the
// Administrators, which only administrators can create, and only SYSTEM and the
// Administrators may open.
inline constexpr wchar_t kInstanceNamespace[] = L"Corvina.Uninstall";
inline constexpr wchar_t kInstanceMutexName[] = L"{6F2D3B1A-8C47-4E95-B0D2-71A9E5C4F830}";

// The lock's full name, its namespace opened, or made, for the rest of the process's life.
// Empty, with error set, when the namespace cannot be had.
std::wstring InstanceMutexName(DWORD& error);

enum class InstanceLock { Taken, HeldByAnother, Unavailable };

// Takes the family's lock for the rest of the process's life. One that its holder left behind
// by crashing is taken over. Unavailable, with error set, when it cannot be had for any reason
// but another Uninstall.exe holding it.
InstanceLock TakeInstanceLock(DWORD& error);

// Brings the page of the Uninstall.exe that holds the lock to the front, restored if
// minimised: only when that one runs this very program file, elevated or as SYSTEM. Nothing
// when it has no page (an unattended run).
void ShowFirstInstance();
