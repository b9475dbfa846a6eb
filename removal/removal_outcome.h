// Whether a finished removal left anything of the product behind.
#pragma once

#include <string>
#include <vector>

#include "removal/removal_engine.h"
#include "removal/removal_log.h"

// Codes from the Windows Installer's table, which the engines' defaults already read:
// 0 success, 3010 success once the machine restarts, 1618 retry later, anything else failure.
enum UnattendedExitCode : int {
    kExitRemoved = ERROR_SUCCESS,                          // 0
    kExitBadArgument = ERROR_INVALID_PARAMETER,            // 87
    kExitNoLog = ERROR_CANNOT_MAKE,                        // 82
    kExitFailed = ERROR_INSTALL_FAILURE,                   // 1603
    kExitNotInstalled = ERROR_UNKNOWN_PRODUCT,             // 1605
    kExitRetryLater = ERROR_INSTALL_ALREADY_RUNNING,       // 1618
    kExitBadConfiguration = ERROR_BAD_CONFIGURATION,       // 1610
    kExitRemovedAtRestart = ERROR_SUCCESS_REBOOT_REQUIRED, // 3010
};

// The log's last line: the code and what it means.
std::wstring ResultLine(int exitCode);

struct Leftovers {
    std::vector<std::wstring> stayed;
    std::vector<std::wstring> atRestart; // plain paths the system deletes at the next restart
};

// One line per thing that stayed: a logged file (not a folder) still present, anything in the
// product folder but the files the removal spares and the folders holding them, the shortcut
// group, the registration key; a folder the removal refused to touch counts as staying. What
// is still there but due for deletion at the next restart is listed apart. No lines when the
// product is gone.
Leftovers LeftBehind(const RemovalJob& job);

// Writes a line for each thing that stayed and the result line; returns the result's code.
int LogOutcome(RemovalLog& log, const RemovalJob& job);
