#include "removal/removal_run.h"

#include "removal/own_removal.h"
#include "removal/places.h"

Leftovers RemoveProduct(const RemovalJob& job, RemovalProgress& progress) {
    RunRemoval(job, progress);
    Leftovers left = LeftBehind(job);
    if (left.stayed.empty()) {
        const std::wstring own =
            RemoveOwnFileAtRestart(ResolvePlace(Roots().installerFiles, job.productDir));
        if (!own.empty())
            progress.Report(RemovalStep::kRemovedAtRestart, own);
    }
    progress.Report(RemovalStep::kDone);
    return left;
}

DWORD WINAPI RemovalWorker(LPVOID run) {
    RemovalRun& removal = *static_cast<RemovalRun*>(run);
    removal.outcome = RemoveProduct(removal.job, *removal.progress);
    PostMessageW(removal.window, removal.endedMessage, 0, 0);
    return 0;
}
