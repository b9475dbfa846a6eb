// The real Uninstall.exe on a real installation in the test prefix, driven from outside.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/app/wizard_driver.h"
#include "tests/controls/link_test_support.h"
#include "tools/install_log_writer.h"

namespace fs = std::filesystem;

namespace {

const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kProductKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvina";

void SetValue(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool ProductKeyExists() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void WriteFile(const fs::path& path, const std::string& text = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// One installed product, as the family's installer leaves it, and a witness beside it.
struct Installation {
    std::wstring name = L"Corvina E2E " + std::to_wstring(GetCurrentProcessId());
    fs::path programFiles = KnownFolder(CSIDL_PROGRAM_FILES);
    fs::path productDir = programFiles / name;
    fs::path groupDir = fs::path(KnownFolder(CSIDL_COMMON_PROGRAMS)) / name;
    fs::path terminalDir =
        programFiles / (L"E2E Terminal " + std::to_wstring(GetCurrentProcessId()));
    fs::path witnessDir = programFiles / (L"E2E Witness " + std::to_wstring(GetCurrentProcessId()));
    std::vector<fs::path> logged;

    void Install() {
        fs::create_directories(productDir);
        fs::copy_file(WindowsPath(UNINSTALL_EXE), productDir / L"Uninstall.exe",
                      fs::copy_options::overwrite_existing);
        WriteFile(productDir / L"Readme.txt");
        WriteFile(productDir / L"Presets" / L"default.set");
        logged = {terminalDir / L"experts" / L"Corvina.ex4", terminalDir / L"Corvina.dll",
                  productDir / L"Readme.txt"};
        for (const auto& file : logged)
            WriteFile(file);
        std::vector<std::wstring> entries;
        for (const auto& file : logged)
            entries.push_back(file.wstring());
        WriteInstallLog((productDir / L"Install.log").wstring(), entries);
        WriteFile(groupDir / L"Uninstall.lnk");
        WriteFile(groupDir / L"Tools" / L"Help.lnk");
        WriteFile(witnessDir / L"keep.txt");
        Register();
    }

    void Register(bool withValues = true) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (withValues) {
            SetValue(key, L"CorvinaVersion", L"7");
            SetValue(key, L"ProductName", name);
            SetValue(key, L"ProductDir", name);
            SetValue(key, L"MenuGroup", name);
            SetValue(key, L"Version", L"3.1.4");
            SetValue(key, L"ContactName", L"100% Support");
            SetValue(key, L"Publisher", L"Corvina Software");
            SetValue(key, L"Email", L"support@corvina.example");
            SetValue(key, L"ProductURL", L"https://www.corvina.example/");
        }
        HKEY sub;
        RegCreateKeyExW(key, L"Extra", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
        RegCloseKey(sub);
        RegCloseKey(key);
    }

    ~Installation() {
        std::error_code ignored;
        for (const auto& dir : {productDir, groupDir, terminalDir, witnessDir})
            fs::remove_all(dir, ignored);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
    }

    RunningProgram StartUninstaller() const {
        return RunningProgram::Start((productDir / L"Uninstall.exe").wstring());
    }
};

std::vector<std::wstring> Entries(const fs::path& dir) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().wstring());
    return names;
}

} // namespace

TEST(Wizard, RemovesTheWholeProductFromWelcomeToFinish) {
    Installation product;
    product.Install();
    RunningProgram wizard = product.StartUninstaller();
    ASSERT_TRUE(wizard.Started());

    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(ItemText(welcome, IDC_TITLE), L"Welcome to Corvina");
    EXPECT_EQ(ItemText(welcome, IDC_PROMPT), L"You are about to uninstall " + product.name);
    EXPECT_EQ(ItemText(welcome, IDC_VERSION), L"3.1.4");
    EXPECT_EQ(ItemText(welcome, IDC_CONTACT), L"100% Support");
    EXPECT_EQ(ItemText(welcome, IDC_PUBLISHER), L"Corvina Software");
    EXPECT_EQ(ItemText(welcome, IDC_EMAIL), L"support@corvina.example");
    SaveScreenshot(welcome, L"welcome");
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
    Press(welcome, IDOK);

    HWND progress = WaitForPage(wizard.Id(), IDC_LIST);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] { return ItemText(progress, IDC_STATUS) == L"Please click the next button."; }, 30000));
    HWND list = GetDlgItem(progress, IDC_LIST);
    std::vector<std::wstring> expected;
    for (const auto& file : product.logged)
        expected.push_back(L"Delete file " + file.wstring() + L"...");
    expected.push_back(L"Remove folder " + product.productDir.wstring() + L"...");
    expected.push_back(L"Remove folder " + product.groupDir.wstring() + L"...");
    expected.push_back(L"Unregistering uninstaller...");
    expected.push_back(L"Done.");
    EXPECT_EQ(ListLines(list), expected);
    HWND bar = GetDlgItem(progress, IDC_PROGRESS);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 3);
    EXPECT_TRUE(ItemEnabled(progress, IDOK));
    EXPECT_FALSE(ItemEnabled(progress, IDCANCEL));
    EXPECT_FALSE(ItemEnabled(progress, IDC_PREV));
    SaveScreenshot(progress, L"progress");
    Press(progress, IDOK);

    HWND complete = WaitForPage(wizard.Id(), IDC_COMPLETE_TEXT);
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(ItemText(complete, IDC_COMPLETE_TEXT),
              L"The wizard has successfully uninstalled " + product.name +
                  L" from your computer. You can re-install this product anytime using product "
                  L"setup file. Thank you for using our product.Click Finish to continue.");
    EXPECT_TRUE(ItemEnabled(complete, IDCANCEL));
    EXPECT_FALSE(ItemEnabled(complete, IDOK));
    EXPECT_FALSE(ItemEnabled(complete, IDC_PREV));
    SaveScreenshot(complete, L"complete");
    Press(complete, IDCANCEL);
    EXPECT_EQ(wizard.WaitForExit(10000), 0u);

    for (const auto& file : product.logged)
        EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_EQ(Entries(product.productDir), std::vector<std::wstring>{L"Uninstall.exe"});
    EXPECT_FALSE(fs::exists(product.groupDir));
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_TRUE(fs::exists(product.witnessDir / L"keep.txt"));
    EXPECT_TRUE(fs::exists(product.programFiles));
}

TEST(Wizard, CancelEscapeAndCloseOnTheWelcomePageRemoveNothing) {
    Installation product;
    product.Install();
    for (int way = 0; way < 3; ++way) {
        RunningProgram wizard = product.StartUninstaller();
        HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
        ASSERT_NE(welcome, nullptr);
        if (way == 0)
            Press(welcome, IDCANCEL);
        else if (way == 1)
            PostMessageW(welcome, WM_COMMAND, IDCANCEL, 0); // what Escape sends
        else
            PostMessageW(welcome, WM_CLOSE, 0, 0);
        EXPECT_EQ(wizard.WaitForExit(10000), 0u) << "way " << way;
    }
    for (const auto& file : product.logged)
        EXPECT_TRUE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(product.productDir / L"Presets" / L"default.set"));
    EXPECT_TRUE(fs::exists(product.groupDir / L"Uninstall.lnk"));
    EXPECT_TRUE(ProductKeyExists());
}

TEST(Wizard, NextStaysDisabledWhileATerminalRuns) {
    Installation product;
    product.Install();
    RunningProgram wizard = product.StartUninstaller();
    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));

    RunningProgram terminal = RunningProgram::Start(WindowsPath(TERMINAL_EXE));
    ASSERT_TRUE(terminal.Started());
    EXPECT_TRUE(WaitUntil([&] { return !ItemEnabled(welcome, IDOK); }, 2000));
    Press(welcome, IDOK); // ignored while disabled
    Sleep(300);
    EXPECT_EQ(FindPage(wizard.Id(), L"Uninstall", IDC_LIST), nullptr);
    terminal.Kill();
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
    Press(welcome, IDCANCEL);
    EXPECT_EQ(wizard.WaitForExit(10000), 0u);
    EXPECT_TRUE(ProductKeyExists());
}

TEST(Wizard, WithoutRegistrationTheWelcomePageShowsTheDefaults) {
    Installation product;
    product.Install();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
    RunningProgram wizard = product.StartUninstaller();
    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(ItemText(welcome, IDC_PROMPT), L"You are about to uninstall _");
    EXPECT_EQ(ItemText(welcome, IDC_VERSION), L"_");
    EXPECT_EQ(ItemText(welcome, IDC_PUBLISHER), L"none");
    EXPECT_EQ(ItemText(welcome, IDC_CONTACT), L"none");
    EXPECT_EQ(ItemText(welcome, IDC_EMAIL), L"none");
    Press(welcome, IDCANCEL);
    EXPECT_EQ(wizard.WaitForExit(10000), 0u);
}

namespace {
// The program's message box: a dialog with caption "Uninstall" that is not one of the pages.
HWND FindMessageBox(DWORD processId) {
    HWND box = FindPage(processId, L"Uninstall", 0xFFFF);
    return box && !GetDlgItem(box, IDC_VERSION) ? box : nullptr;
}
} // namespace

TEST(Wizard, LinksOpenThroughTheWebPageAssociationOrShowWhyNot) {
    Installation product;
    product.Install();
    HKEY key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_SET_VALUE, &key);
    const std::wstring page = L"C:\\corvina-nowhere\\page.htm"; // the shell cannot open it
    SetValue(key, L"ProductURL", page);
    RegCloseKey(key);

    link_test::RecordFile record; // before the start: the program inherits where to write
    link_test::ScopedHtmAssociation association(L"\"" + WindowsPath(LINK_RECORDER_EXE) +
                                                L"\" -url \"%1\"");
    RunningProgram wizard = product.StartUninstaller();
    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr);

    ClickItem(welcome, IDC_PUBLISHER);
    const auto commandLine = record.Take();
    ASSERT_TRUE(commandLine.has_value()) << "the associated program was not started";
    EXPECT_EQ(*commandLine, L"\"" + WindowsPath(LINK_RECORDER_EXE) + L"\" -url  " + page);

    association.SetOpenCommand(L"\"C:\\corvina-nowhere\\browser.exe\" \"%1\"");
    ClickItem(welcome, IDC_EMAIL);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindMessageBox(wizard.Id())) != nullptr; }, 10000));
    EXPECT_EQ(ItemText(box, 0xFFFF).rfind(L"Unable to open hyperlink:\n\n", 0), 0u)
        << "got: " << std::string(ItemText(box, 0xFFFF).begin(), ItemText(box, 0xFFFF).end());
    Press(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return FindMessageBox(wizard.Id()) == nullptr; }, 5000));
    Press(welcome, IDCANCEL);
    EXPECT_EQ(wizard.WaitForExit(10000), 0u);
}
