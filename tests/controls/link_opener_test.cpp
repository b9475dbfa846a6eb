#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include "controls/link_opener.h"
#include "tests/controls/link_test_support.h"

using namespace link_test;

TEST(ComposeOpenCommand, CutsAtTheFirstPlaceholderThenAppendsBlankAndTarget) {
    const std::wstring url = L"http://corvina.example/";
    EXPECT_EQ(ComposeOpenCommand(LR"("C:\W\web.exe" -url "%1")", url),
              LR"("C:\W\web.exe" -url  http://corvina.example/)");
    EXPECT_EQ(ComposeOpenCommand(LR"(C:\W\web.exe %1 -new)", url),
              LR"(C:\W\web.exe  http://corvina.example/)");
    EXPECT_EQ(ComposeOpenCommand(LR"(C:\W\web.exe)", url),
              LR"(C:\W\web.exe http://corvina.example/)");
    EXPECT_EQ(ComposeOpenCommand(LR"(C:\W\web.exe %1 "%1" -x)", url),
              LR"(C:\W\web.exe %1  http://corvina.example/)");
    // 519 characters and the terminator fill the 520-character buffer.
    EXPECT_EQ(ComposeOpenCommand(std::wstring(400, L'c'), std::wstring(118, L't'))->size(), 519u);
    EXPECT_FALSE(ComposeOpenCommand(std::wstring(400, L'c'), std::wstring(119, L't')));
}

TEST(ShowLinkError, ShowsTheCodesTextInTheApplicationsBox) {
    const std::pair<LaunchCode, std::wstring> cases[] = {
        {0, L"The operating system is out\nof memory or resources."},
        {26, L"A sharing violation occurred. "},
        {1, L"Unknown Error (1) occurred."},
        {33, L"Unknown Error (33) occurred."}};
    for (const auto& [code, text] : cases) {
        MessageBoxWatcher watcher;
        ShowLinkError(code);
        EXPECT_EQ(watcher.Seen().value_or(SeenBox{}).text, L"Unable to open hyperlink:\n\n" + text);
    }
    EXPECT_EQ(LinkErrorMessage(0xFFFFFFFFu),
              L"Unable to open hyperlink:\n\nUnknown Error (-1) occurred.");
}

TEST(ReadDefaultValue, RefusesMissingEmptyAndOverlongValues) {
    const auto read = [](const std::optional<std::wstring>& value, std::wstring& out) {
        const wchar_t path[] = L"CorvinaTest.DefaultValue";
        RegDeleteTreeW(HKEY_CLASSES_ROOT, path);
        WriteDefault(path, value);
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_QUERY_VALUE, &key);
        const bool ok = ReadDefaultValue(key, out);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, path);
        return ok;
    };
    std::wstring out;
    EXPECT_TRUE(read(std::wstring(259, L'v'), out));
    EXPECT_EQ(out, std::wstring(259, L'v'));
    EXPECT_FALSE(read(std::wstring(260, L'v'), out));
    EXPECT_FALSE(read(L"", out));
    EXPECT_FALSE(read(std::nullopt, out));
}

TEST(OpenLink, FallsBackToTheWebPageProgramWithTheComposedLine) {
    const auto shellCode = [](const std::wstring& target) {
        return static_cast<LaunchCode>(reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOW)));
    };
    RecordFile record;
    ScopedHtmAssociation association(RecorderOpenCommand());
    EXPECT_GT(OpenLink(RecorderPath()), 32u);
    EXPECT_EQ(record.Take().value_or(L"-url").find(L"-url"), std::wstring::npos)
        << "a target the shell opens never reaches the association";

    const std::wstring page = L"C:\\corvina-missing\\page.htm";
    ASSERT_LE(shellCode(page), 32u);
    EXPECT_GT(OpenLink(page), 32u);
    EXPECT_EQ(record.Take(), L"\"" + RecorderPath() + L"\" -url  " + page);

    association.SetOpenCommand(L"\"" + RecorderPath() + L"\" " + std::wstring(300, L'p'));
    const std::wstring longPage = L"C:\\corvina-missing\\" + std::wstring(200, L'x');
    EXPECT_EQ(OpenLink(longPage), shellCode(longPage)) << "too long for the buffer: refused";
    association.SetOpenCommand(std::nullopt);
    EXPECT_EQ(OpenLink(page), shellCode(page)) << "no open command: the shell's code";
}
