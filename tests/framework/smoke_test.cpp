#include <windows.h>
#include <gtest/gtest.h>

TEST(Smoke, RunsUnderWine) {
    wchar_t dir[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(dir, MAX_PATH), 0u);
    EXPECT_NE(GetModuleHandleW(L"ntdll.dll"), nullptr);
}
