// The steps the removal reports, and their lines: the wizard's list words them in the user's
// language, the /LOG file and the unattended run in English.
#pragma once

#include <windows.h>

#include <string>

enum class RemovalStep {
    kDeleteFile,       // a logged file
    kRemoveFolder,     // the product folder or the Start-menu group
    kRemovedAtRestart, // a file or folder the next restart deletes
    kUnregister,       // the registration
    kDone,             // the last line; no path
};

// The step's line in language, with its path.
std::wstring StepLine(RemovalStep step, const std::wstring& path, LANGID language);
