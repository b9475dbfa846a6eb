#include "app/process_list.h"

#include <windows.h>
#include <gtest/gtest.h>

TEST(ProcessList, FindsARunningProgramByItsBareNameInAnyCaseOnly) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self, name = path.substr(path.rfind(L'\\') + 1);
    std::wstring upper = name;
    CharUpperW(upper.data());
    EXPECT_TRUE(IsProcessRunning(name));
    EXPECT_TRUE(IsProcessRunning(upper));
    EXPECT_FALSE(IsProcessRunning(L"x" + name));
    EXPECT_FALSE(IsProcessRunning(name.substr(0, 5)));
    EXPECT_FALSE(IsProcessRunning(path));
}
