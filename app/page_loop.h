// The wizard's page sequence: which page follows which result.
#pragma once

#include <windows.h>

#include "res/resource.h"

// Shows the welcome page, then a new progress page and a new completion page per visit,
// as the results lead. Returns the process exit status: 0, or 1 when a page could not be
// shown at all (DoModal gave -1), since repeating it would loop for ever.
template <typename ProgressPage, typename CompletionPage, typename WelcomePage>
int RunPageLoop(WelcomePage& welcome) {
    for (;;) {
        const INT_PTR welcomeResult = welcome.DoModal();
        if (welcomeResult == IDCANCEL)
            return 0;
        if (welcomeResult == -1)
            return 1;

        ProgressPage progress;
        const INT_PTR progressResult = progress.DoModal();
        if (progressResult == IDOK) {
            INT_PTR completionResult;
            {
                CompletionPage completion;
                completionResult = completion.DoModal();
            }
            if (completionResult == IDOK || completionResult == IDCANCEL)
                return 0;
            if (completionResult == -1)
                return 1;
        } else if (progressResult == IDCANCEL) {
            return 0;
        } else if (progressResult == -1) {
            return 1;
        }
        // IDC_PREV from either page: back to the same welcome page.
    }
}
