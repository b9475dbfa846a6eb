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

using Log = std::vector<std::string>;

} // namespace

TEST(PageLoop, FollowsEveryRowOfTheTable) {
    const Log ordinary = {"W+1", "W1", "P+2", "P2", "C+3", "C3", "C-3", "P-2", "W-1"};
    const struct {
        std::deque<INT_PTR> script;
        Log log;
        int status;
    } rows[] = {
        {{IDCANCEL}, {"W+1", "W1", "W-1"}, 0},
        // Next, Next, Finish (or OK): the completion page goes before the progress page.
        {{IDOK, IDOK, IDCANCEL}, ordinary, 0},
        {{IDOK, IDOK, IDOK}, ordinary, 0},
        {{IDOK, IDCANCEL}, {"W+1", "W1", "P+2", "P2", "P-2", "W-1"}, 0},
        // Prev: the same welcome object, then a fresh progress page.
        {{IDOK, IDC_PREV, IDOK, IDCANCEL},
         {"W+1", "W1", "P+2", "P2", "P-2", "W1", "P+3", "P3", "P-3", "W-1"},
         0},
        // Prev from the completion page returns to the welcome page.
        {{IDOK, IDOK, IDC_PREV, IDCANCEL},
         {"W+1", "W1", "P+2", "P2", "C+3", "C3", "C-3", "P-2", "W1", "W-1"},
         0},
        // A page that cannot be shown ends the program instead of being shown again.
        {{-1}, {"W+1", "W1", "W-1"}, 1},
        {{IDOK, -1}, {"W+1", "W1", "P+2", "P2", "P-2", "W-1"}, 1},
        {{IDOK, IDOK, -1}, ordinary, 1},
    };
    for (const auto& row : rows) {
        g_script = row.script;
        g_log.clear();
        g_nextId = 0;
        int status = -1;
        {
            Welcome welcome;
            status = RunPageLoop<Progress, Completion>(welcome);
        }
        EXPECT_EQ(g_log, row.log);
        EXPECT_EQ(status, row.status);
        EXPECT_TRUE(g_script.empty()) << "pages left unshown";
    }
}
