// Whether a finished removal left anything of the product behind.
#pragma once

#include <string>
#include <vector>

#include "removal/removal_engine.h"
#include "removal/removal_log.h"

// Codes from the Windows Installer's table, which the engines' defaults already read:
// 0 success, 1618 retry later, anything else failure.
enum UnattendedExitCode : int {
    kExitRemoved = ERROR_SUCCESS,                    // 0
    kExitBadArgument = ERROR_INVALID_PARAMETER,      // 87
    kExitNoLog = ERROR_CANNOT_MAKE,                  // 82
    kExitFailed = ERROR_INSTALL_FAILURE,             // 1603
    kExitNotInstalled = ERROR_UNKNOWN_PRODUCT,       // 1605
    kExitRetryLater = ERROR_INSTALL_ALREADY_RUNNING, // 1618
};

// The log's last line: the code and what it means.
std::wstring ResultLine(int exitCode);

// One line per thing that stayed: a logged file still present, anything in the product
// folder but the files the removal spares, the shortcut group, the registration key; a
// folder the removal refused to touch counts as staying. Empty when the product is gone.
std::vector<std::wstring> LeftBehind(const RemovalJob& job);

// Writes a line for each thing that stayed and the result line; returns the result's code.
int LogOutcome(RemovalLog& log, const RemovalJob& job);
