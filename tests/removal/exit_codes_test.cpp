#include "removal/exit_codes.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

// The README's table of exit codes lists the program's codes in its order, and the engines'
// default for each agrees with how its meaning counts it.
TEST(ExitCodes, AgreeWithTheReadmesTable) {
    std::ifstream readme(std::filesystem::path(README_MD));
    ASSERT_TRUE(readme);
    const std::regex row(R"(^\| (\d+) \| .* \| ([^|]+) \| ([^|]+) \|$)");
    std::vector<std::pair<int, std::string>> documented;
    std::smatch cells;
    for (std::string line; std::getline(readme, line);)
        if (std::regex_match(line, cells, row))
            documented.push_back({std::stoi(cells[1]), cells[2]});
    std::vector<std::pair<int, std::string>> table;
    for (const ExitCodeMeaning& entry : ExitCodes()) {
        const std::wstring meaning = entry.meaning;
        table.push_back({entry.code, meaning.starts_with(L"success") ? "Success"
                                     : meaning.starts_with(L"retry") ? "Retry"
                                                                     : "Failed"});
    }
    for (auto& [code, intune] : documented)
        intune = intune.ends_with("reboot") ? "Success" : intune;
    EXPECT_EQ(documented, table);
}
