#include "removal/exit_codes.h"

#include <cwchar>
#include <iterator>

namespace {

// Scripts read the result line as it stands: a meaning changes only with the code.
constexpr ExitCodeMeaning kExitCodes[] = {
    {kExitRemoved, L"success: the product was removed"},
    {kExitRemovedAtRestart,
     L"success: the product was removed; a restart deletes the files in use"},
    {kExitRestartStarted, L"success: the product was removed; the computer restarts now", true},
    {kExitRetryLater, L"retry later: a MetaTrader terminal or another Uninstall.exe is running"},
    {kExitFailed, L"failure: parts of the product stayed"},
    {kExitCancelled, L"cancelled: nothing was removed", true},
    {kExitNotInstalled, L"failure: the product is not installed"},
    {kExitBadConfiguration, L"failure: the registration names no product folder or shortcut group"},
    {kExitBadArgument, L"failure: an argument was not understood"},
    {kExitNoLog, L"failure: the log file could not be created"},
    {kExitNoLock, L"failure: the lock that keeps a second Uninstall.exe out cannot be taken"},
};

} // namespace

std::span<const ExitCodeMeaning> ExitCodes() {
    return kExitCodes;
}

std::wstring ResultLine(int exitCode) {
    const wchar_t* meaning = L"unknown";
    for (const ExitCodeMeaning& entry : kExitCodes)
        if (entry.code == exitCode)
            meaning = entry.meaning;
    return L"Result: " + std::to_wstring(exitCode) + L" (" + meaning + L")";
}

std::wstring ExitCodeList(bool wizardOnly) {
    std::wstring list;
    for (const ExitCodeMeaning& entry : kExitCodes) {
        if (entry.wizardOnly != wizardOnly)
            continue;
        wchar_t line[128];
        std::swprintf(line, std::size(line), L"  %-5d %ls\r\n", static_cast<int>(entry.code),
                      entry.meaning);
        list += line;
    }
    return list;
}
