// One Uninstall.exe at a time, of whichever product of the family and in whichever session:
// they all remove the same registration.
#pragma once

#include <windows.h>

// Global, so that a run as SYSTEM in session 0 and a wizard in a user's session meet; only
// services and administrators may create global objects, so no user can hold it first.
inline constexpr wchar_t kInstanceMutexName[] =
    L"Global\\Corvina.Uninstall.{6F2D3B1A-8C47-4E95-B0D2-71A9E5C4F830}";

// Takes the family's mutex for the rest of the process's life; false when another
// Uninstall.exe holds it. One that its holder left behind by crashing is taken over.
bool TakeInstanceMutex();

// Brings the page of the Uninstall.exe that holds the mutex to the front, restored if
// minimised; nothing when that one has no page (an unattended run).
void ShowFirstInstance();
