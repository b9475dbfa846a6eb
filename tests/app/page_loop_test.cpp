#include <windows.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/page_loop.h"

namespace {

// Each scripted page takes its result from the front of the script and logs its life.
std::deque<INT_PTR> g_script;
std::vector<std::string> g_log;
int g_nextId = 0;

template <char Kind> struct ScriptedPage {
    ScriptedPage() : id(++g_nextId) {
        g_log.push_back(std::string(1, Kind) + "+" + std::to_string(id));
    }
    ~ScriptedPage() { g_log.push_back(std::string(1, Kind) + "-" + std::to_string(id)); }
    INT_PTR DoModal() {
        g_log.push_back(std::string(1, Kind) + std::to_string(id));
        if (g_script.empty())
            return IDCANCEL;
        const INT_PTR result = g_script.front();
        g_script.pop_front();
        return result;
    }
    int id;
};
using Welcome = ScriptedPage<'W'>;
using Progress = ScriptedPage<'P'>;
using Completion = ScriptedPage<'C'>;

std::vector<std::string> RunLoop(std::deque<INT_PTR> script, int* status = nullptr) {
    g_script = std::move(script);
    g_log.clear();
    g_nextId = 0;
    {
        Welcome welcome;
        const int result = RunPageLoop<Progress, Completion>(welcome);
        if (status)
            *status = result;
    }
    EXPECT_TRUE(g_script.empty()) << "pages left unshown";
    return g_log;
}

using Log = std::vector<std::string>;

} // namespace

TEST(PageLoop, FollowsEveryRowOfTheTable) {
    int status = -1;
    EXPECT_EQ(RunLoop({IDCANCEL}, &status), (Log{"W+1", "W1", "W-1"}));
    EXPECT_EQ(status, 0);

    // The ordinary removal: Next, Next, Finish. The completion page goes before the progress page.
    EXPECT_EQ(RunLoop({IDOK, IDOK, IDCANCEL}, &status),
              (Log{"W+1", "W1", "P+2", "P2", "C+3", "C3", "C-3", "P-2", "W-1"}));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RunLoop({IDOK, IDOK, IDOK}),
              (Log{"W+1", "W1", "P+2", "P2", "C+3", "C3", "C-3", "P-2", "W-1"}));
    EXPECT_EQ(RunLoop({IDOK, IDCANCEL}), (Log{"W+1", "W1", "P+2", "P2", "P-2", "W-1"}));

    // Prev from the progress page: the same welcome object, then a fresh progress page.
    EXPECT_EQ(RunLoop({IDOK, IDC_PREV, IDOK, IDCANCEL}),
              (Log{"W+1", "W1", "P+2", "P2", "P-2", "W1", "P+3", "P3", "P-3", "W-1"}));

    // Prev from the completion page returns to the welcome page, not to the progress page.
    EXPECT_EQ(RunLoop({IDOK, IDOK, IDC_PREV, IDOK, IDOK, IDCANCEL}),
              (Log{"W+1", "W1", "P+2", "P2", "C+3", "C3", "C-3", "P-2", "W1", "P+4", "P4", "C+5",
                   "C5", "C-5", "P-4", "W-1"}));
}

TEST(PageLoop, APageThatCannotBeShownEndsTheProgram) {
    int status = 0;
    EXPECT_EQ(RunLoop({-1}, &status), (Log{"W+1", "W1", "W-1"}));
    EXPECT_NE(status, 0);
    EXPECT_EQ(RunLoop({IDOK, -1}, &status), (Log{"W+1", "W1", "P+2", "P2", "P-2", "W-1"}));
    EXPECT_NE(status, 0);
    EXPECT_EQ(RunLoop({IDOK, IDOK, -1}, &status),
              (Log{"W+1", "W1", "P+2", "P2", "C+3", "C3", "C-3", "P-2", "W-1"}));
    EXPECT_NE(status, 0);
}
