// Whether a finished removal left anything of the product behind.
#pragma once

#include <string>
#include <vector>

#include "removal/exit_codes.h"
#include "removal/removal_engine.h"
#include "removal/removal_log.h"

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

// 0, 3010 or 1603, as the deployment engines read them.
int ExitCodeOf(const Leftovers& left);

// Writes a line for each thing that stayed and the result line; returns the result's code.
int LogOutcome(RemovalLog& log, const Leftovers& left);
