// The exit codes the program ends with and what each one means, for the log's result line, the
// usage text and the README's table alike.
#pragma once

#include <windows.h>

#include <span>
#include <string>

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
    kExitNoLock = ERROR_LOCK_FAILED,                       // 167
    kExitCancelled = ERROR_INSTALL_USEREXIT,               // 1602
    kExitRestartStarted = ERROR_SUCCESS_REBOOT_INITIATED,  // 1641
};

struct ExitCodeMeaning {
    UnattendedExitCode code;
    // Begins with how an engine counts the code: "success", "retry later" or "failure".
    const wchar_t* meaning;
    // Only a person on the wizard's pages can end the program so.
    bool wizardOnly = false;
};

// Every code, in the order of the README's table.
std::span<const ExitCodeMeaning> ExitCodes();

// The log's last line: the code and what it means.
std::wstring ResultLine(int exitCode);

// The usage text's list of the codes of an unattended run, or of those only the wizard ends
// with, a line each.
std::wstring ExitCodeList(bool wizardOnly);
