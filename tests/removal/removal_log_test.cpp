#include "removal/removal_log.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "tests/planted_links.h"

// A /LOG file lies where the user may write.
TEST(RemovalLog, LeavesTheTargetsOfPlantedLinksAsTheyWere) {
    test::ExpectPlantedLinksLeaveTargets(
        test::fs::temp_directory_path() / L"removal.log",
        [](const std::wstring& path) { RemovalLog().Create(path); });
}
