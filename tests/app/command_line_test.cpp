#include "app/command_line.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <tuple>

// Arguments split as CommandLineToArgvW splits them; the first one is the program's path.
TEST(ParseCommandLine, TakesOurSwitchesInAnyCaseAndNotesTheFirstStranger) {
    struct Case {
        const wchar_t* commandLine;
        bool unattended, usage;
        std::wstring logPath, unknown;
    };
    for (const auto& [commandLine, unattended, usage, logPath, unknown] : {
             Case{L"\"C:\\x y\\Uninstall.exe\"", false, false, L"", L""},
             {L"Uninstall.exe /S", true, false, L"", L""},
             {L"Uninstall.exe /s", true, false, L"", L""},
             {L"Uninstall.exe /QUIET", true, false, L"", L""},
             {L"Uninstall.exe /?", false, true, L"", L""},
             {L"Uninstall.exe /LOG=\"C:\\a b\\r.log\"", false, false, L"C:\\a b\\r.log", L""},
             {L"Uninstall.exe /log=C:\\r.log /LOG=C:\\later.log", false, false, L"C:\\later.log",
              L""},
             {L"Uninstall.exe /LOG=", false, false, L"", L"/LOG="},
             {L"Uninstall.exe /S /bogus -S /SILENT", true, false, L"", L"/bogus"},
             {L"/S /x", false, false, L"", L"/x"},
         }) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(commandLine)));
        const CommandLine parsed = ParseCommandLine(commandLine);
        EXPECT_EQ(std::tie(parsed.unattended, parsed.usage, parsed.logPath, parsed.unknown),
                  std::tie(unattended, usage, logPath, unknown));
    }
}
