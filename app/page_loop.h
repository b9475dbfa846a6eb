// The wizard's page sequence: which page follows which result, and the exit code it ends with.
#pragma once

#include <windows.h>

#include "removal/removal_outcome.h"
#include "res/resource.h"

// Shows the welcome page, then a new progress page and a new completion page per visit,
// as the results lead. Returns the exit code: 1602 when the user leaves before a removal, the
// last removal's outcome (0, 3010 or 1603) after one, 1641 when the completion page ends with
// "Restart now" chosen (the caller starts the restart), and 1 when a page could not be shown
// at all (DoModal gave -1), since repeating it would loop for ever.
template <typename ProgressPage, typename CompletionPage, typename WelcomePage>
int RunPageLoop(WelcomePage& welcome) {
    int outcome = kExitCancelled;
    for (;;) {
        const INT_PTR welcomeResult = welcome.DoModal();
        if (welcomeResult == IDCANCEL)
            return outcome;
        if (welcomeResult == -1)
            return 1;

        ProgressPage progress;
        const INT_PTR progressResult = progress.DoModal();
        if (progressResult == -1)
            return 1;
        outcome = progress.ExitCode();
        if (progressResult == IDOK) {
            INT_PTR completionResult;
            bool restart;
            {
                CompletionPage completion(progress.Outcome());
                completionResult = completion.DoModal();
                restart = completion.RestartChosen();
            }
            if (completionResult == IDOK || completionResult == IDCANCEL)
                return restart ? kExitRestartStarted : outcome;
            if (completionResult == -1)
                return 1;
        } else if (progressResult == IDCANCEL) {
            return outcome;
        }
        // IDC_PREV from either page: back to the same welcome page.
    }
}
