// The removal without a window, for deployment engines: the wizard's steps in its order,
// each list line written to the removal log, and the outcome as an exit code.
#pragma once

#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/single_instance.h"
#include "framework/language.h"
#include "removal/removal_outcome.h"

// The log's first line: local date and time, the program's version, its command line.
std::wstring LogHeaderLine();

// What keeps a run that could not take the lock out: in English for the log, in the wizard's
// language for its message box.
std::wstring InstanceLockFailure(DWORD error, LANGID language = kEnglish);

// Unless lock is Taken, this run touches nothing: another Uninstall.exe holds the removal, or
// the lock could not be had (lockError tells why).
int RunUnattended(const CommandLine& commandLine, InstanceLock lock = InstanceLock::Taken,
                  DWORD lockError = ERROR_SUCCESS);
