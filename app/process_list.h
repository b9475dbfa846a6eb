// Which programs are running.
#pragma once

#include <string>

// True while a process with this bare executable name runs (letter case ignored).
bool IsProcessRunning(const std::wstring& exeName);
