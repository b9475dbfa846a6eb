// The uninstaller's own file after a whole removal: the registration is gone, so nothing else
// would ever remove it or the product folder that holds it.
#pragma once

#include <windows.h>

#include <string>

#include "removal/places.h"

// True when running is the same file as the product folder's "Uninstall.exe" (the handle
// on it) and that file has no second name.
bool IsProductUninstaller(HANDLE running, HANDLE uninstaller);

// Renames the running program in place to a name of its own, so that a reinstall before the
// restart keeps its new Uninstall.exe, then schedules that file and the product folder (gone
// then if it is empty) for the next restart. Nothing is copied and nothing is started. The
// renamed file's path, or empty when the running program is not the folder's own or the
// system refused.
std::wstring RemoveOwnFileAtRestart(const Place& product);
