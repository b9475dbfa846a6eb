// The removal without a window, for deployment engines: the wizard's steps in its order,
// each list line written to the removal log, and the outcome as an exit code.
#pragma once

#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "removal/removal_outcome.h"

// The log's first line: local date and time, the program's version, its command line.
std::wstring LogHeaderLine();

// anotherRuns: another Uninstall.exe holds the removal, and this run touches nothing.
int RunUnattended(const CommandLine& commandLine, bool anotherRuns = false);
