// A removal from start to end, as the wizard's worker and the unattended run take it: the
// steps, the survey of what is left, and the program's own file.
#pragma once

#include <windows.h>

#include "removal/removal_engine.h"
#include "removal/removal_outcome.h"

// The steps, then the survey; after a removal in which nothing stayed, the program's own file
// and the product folder go at the next restart, which the survey no longer sees.
Leftovers RemoveProduct(const RemovalJob& job, RemovalProgress& progress);

// A removal handed to a worker thread; it and all it refers to must outlive the thread.
struct RemovalRun {
    RemovalJob job;
    RemovalProgress* progress;
    // Posted to window once outcome is written: the worker's last act.
    HWND window = nullptr;
    UINT endedMessage = 0;
    Leftovers outcome;
};

// Thread procedure: run is the RemovalRun*.
DWORD WINAPI RemovalWorker(LPVOID run);
