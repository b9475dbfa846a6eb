#include "removal/at_restart.h"

#include <windows.h>
#include <gtest/gtest.h>

using namespace std::string_literals;
using Strings = std::vector<std::wstring>;

// PendingFileRenameOperations is a REG_MULTI_SZ of pairs: a source, then its target, empty
// for a deletion; MoveFileEx writes the sources and targets with the "\??\" prefix.
TEST(ParsePendingDeletions, ReadsTheSourcesOfPairsWithAnEmptyTarget) {
    for (const auto& [value, deletions] : {
             std::pair{L""s, Strings{}},
             {L"\\??\\C:\\a\0\0\0"s, {L"C:\\a"}},
             {L"\\??\\C:\\a\0\0"s, {L"C:\\a"}},      // no final NUL
             {L"\\??\\C:\\a\0"s, {}},                // no target at all
             {L"C:\\a\0\0\0"s, {L"C:\\a"}},          // no prefix
             {L"\\??\\C:\\a\0\\??\\C:\\b\0\0"s, {}}, // a rename, the last pair
             {L"\\??\\C:\\a\0!\\??\\C:\\b\0\\??\\C:\\c\0\0\0"s, {L"C:\\c"}},
             {L"\0\\??\\C:\\a\0\0\0\0\\??\\C:\\b\0\0\0"s, {L"C:\\a", L"C:\\b"}}, // stray empties
         }) {
        SCOPED_TRACE(testing::PrintToString(value));
        EXPECT_EQ(ParsePendingDeletions(value), deletions);
    }
}
