// The real Uninstall.exe on a real installation in the test prefix, driven from outside.
#include <windows.h>
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/app/wizard_driver.h"
#include "tests/controls/link_test_support.h"
#include "tests/test_support.h"
#include "tools/install_log_writer.h"

namespace {

using namespace test;
using Strings = std::vector<std::wstring>;

// One installed product, as the family's installer leaves it, and witnesses beside it: on
// 64-bit Windows also a namesake folder and key of some 64-bit program in the native views.
struct Installation {
    std::wstring name = L"Corvina E2E " + kPid;
    fs::path files = kInstallerFiles;
    fs::path product = files / name;
    fs::path group = kCommonPrograms / name;
    fs::path namesake = NativeProgramFiles() / name;
    fs::path terminal = files / (L"E2E Terminal " + kPid);
    fs::path witness = files / (L"E2E Witness " + kPid);
    Strings logged = {(terminal / L"experts\\Corvina.ex4").wstring(),
                      (terminal / L"Corvina.dll").wstring(), (product / L"Readme.txt").wstring()};

    Installation() {
        Clean(); // what a killed run left
        fs::create_directories(product);
        fs::copy_file(UNINSTALL_EXE, product / L"Uninstall.exe");
        for (const fs::path& file : {product / L"Presets\\default.set", group / L"Uninstall.lnk",
                                     group / L"Tools\\Help.lnk", witness / L"keep.txt"})
            Touch(file);
        for (const auto& file : logged)
            Touch(file);
        WriteInstallLog((product / L"Install.log").wstring(), logged);
        SetProductValues({{L"CorvinaVersion", L"7"},
                          {L"ProductName", name},
                          {L"ProductDir", name},
                          {L"MenuGroup", name},
                          {L"Version", L"3.1.4"},
                          {L"ContactName", L"100% Support"},
                          {L"Publisher", L"Corvina Software"},
                          {L"Email", L"support@corvina.example"},
                          {L"ProductURL", L"https://www.corvina.example/"}});
        CreateKey(kProductKey + L"\\Extra"); // a subkey: the whole tree must go
        if (OnWow64()) {
            Touch(namesake / L"Install.log");
            Touch(namesake / L"Readme.txt");
            SetValues(kProductKey, {{L"ProductName", L"Namesake"}, {L"ProductDir", name}},
                      kNativeView);
        }
    }
    ~Installation() { Clean(); }
    void Clean() {
        for (const auto& folder : {product, group, terminal, witness})
            RemoveTree(folder);
        DeleteKeyTree(kProductKey);
        if (OnWow64()) {
            RemoveTree(namesake);
            DeleteKeyTree(kProductKey, kNativeView);
        }
    }
    bool NamesakesIntact() const {
        if (!OnWow64())
            return true;
        wchar_t dir[MAX_PATH] = {};
        DWORD size = sizeof dir;
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), 0, KEY_READ | kNativeView,
                          &key) != 0)
            return false;
        const LONG read =
            RegGetValueW(key, nullptr, L"ProductDir", RRF_RT_REG_SZ, nullptr, dir, &size);
        RegCloseKey(key);
        return read == 0 && dir == name &&
               Entries(namesake) == Strings{L"Install.log", L"Readme.txt"};
    }
    std::wstring Uninstaller() const { return (product / L"Uninstall.exe").wstring(); }
};

Strings WelcomeTexts(HWND page) {
    Strings texts;
    for (int id : {IDC_TITLE, IDC_PROMPT, IDC_VERSION, IDC_PUBLISHER, IDC_CONTACT, IDC_EMAIL})
        texts.push_back(ItemText(page, id));
    return texts;
}

} // namespace

TEST(Wizard, RemovesTheWholeProductFromWelcomeToFinish) {
    Installation in;
    RunningProgram wizard(in.Uninstaller());
    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(WelcomeTexts(welcome),
              (Strings{L"Welcome to Corvina", L"You are about to uninstall " + in.name, L"3.1.4",
                       L"Corvina Software", L"100% Support", L"support@corvina.example"}));
    SaveScreenshot(welcome, L"welcome");

    // A running terminal holds Next back, a click on it included; its end lets it go.
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
    {
        RunningProgram terminal(TERMINAL_EXE);
        EXPECT_TRUE(WaitUntil([&] { return !ItemEnabled(welcome, IDOK); }, 2000));
        Press(welcome, IDOK);
        Sleep(300);
        EXPECT_EQ(FindPage(wizard.Id(), IDC_LIST), nullptr);
    }
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
    Press(welcome, IDOK);

    HWND progress = WaitForPage(wizard.Id(), IDC_LIST);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] { return ItemText(progress, IDC_STATUS) == L"Please click the next button."; }, 30000));
    Strings expected;
    for (const auto& file : in.logged)
        expected.push_back(L"Delete file " + file + L"...");
    for (const auto& line : {L"Remove folder " + in.product.wstring() + L"...",
                             L"Remove folder " + in.group.wstring() + L"...",
                             std::wstring(L"Unregistering uninstaller..."), std::wstring(L"Done.")})
        expected.push_back(line);
    EXPECT_EQ(ListLines(GetDlgItem(progress, IDC_LIST)), expected);
    HWND bar = GetDlgItem(progress, IDC_PROGRESS);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 3);
    EXPECT_TRUE(ItemEnabled(progress, IDOK) && !ItemEnabled(progress, IDCANCEL) &&
                !ItemEnabled(progress, IDC_PREV));
    SaveScreenshot(progress, L"progress");
    Press(progress, IDOK);

    HWND complete = WaitForPage(wizard.Id(), IDC_COMPLETE_TEXT);
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(ItemText(complete, IDC_COMPLETE_TEXT).substr(0, 40 + in.name.size()),
              L"The wizard has successfully uninstalled " + in.name);
    EXPECT_TRUE(ItemEnabled(complete, IDCANCEL) && !ItemEnabled(complete, IDOK) &&
                !ItemEnabled(complete, IDC_PREV));
    SaveScreenshot(complete, L"complete");
    Press(complete, IDCANCEL);
    EXPECT_EQ(wizard.WaitForExit(10000), 0u);

    for (const auto& file : in.logged)
        EXPECT_FALSE(Exists(file)) << file;
    EXPECT_EQ(Entries(in.product), Strings{L"Uninstall.exe"});
    EXPECT_FALSE(Exists(in.group) || ProductKeyExists());
    EXPECT_TRUE(Exists(in.witness / L"keep.txt"));
    EXPECT_TRUE(in.NamesakesIntact());
}

TEST(Wizard, CancelEscapeAndCloseRemoveNothingAndNoKeyShowsDefaults) {
    Installation in;
    for (UINT message : {UINT(BM_CLICK), UINT(WM_COMMAND), UINT(WM_CLOSE)}) {
        RunningProgram wizard(in.Uninstaller());
        HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
        ASSERT_NE(welcome, nullptr);
        // Cancel clicked, Escape (IDCANCEL), the Close box.
        PostMessageW(message == BM_CLICK ? GetDlgItem(welcome, IDCANCEL) : welcome, message,
                     message == WM_COMMAND ? IDCANCEL : 0, 0);
        EXPECT_EQ(wizard.WaitForExit(10000), 0u) << message;
    }
    for (const auto& file : in.logged)
        EXPECT_TRUE(Exists(file)) << file;
    EXPECT_TRUE(Exists(in.product / L"Presets\\default.set") &&
                Exists(in.group / L"Uninstall.lnk"));
    EXPECT_TRUE(ProductKeyExists());

    DeleteKeyTree(kProductKey);
    RunningProgram wizard(in.Uninstaller());
    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(WelcomeTexts(welcome),
              (Strings{L"Welcome to Corvina", L"You are about to uninstall _", L"_", L"none",
                       L"none", L"none"}));
}

TEST(Wizard, LinksOpenThroughTheWebPageAssociationOrShowWhyNot) {
    Installation in;
    const std::wstring page = L"C:\\corvina-nowhere\\page.htm"; // the shell cannot open it
    SetProductValues({{L"ProductURL", page}});
    link_test::RecordFile record; // before the start: the program inherits where to write
    const std::wstring recorder = L"\"" + std::wstring(LINK_RECORDER_EXE) + L"\"";
    link_test::ScopedHtmAssociation association(recorder + L" -url \"%1\"");
    RunningProgram wizard(in.Uninstaller());
    HWND welcome = WaitForPage(wizard.Id(), IDC_VERSION);
    ASSERT_NE(welcome, nullptr);

    ClickItem(welcome, IDC_PUBLISHER);
    EXPECT_EQ(record.Take(), recorder + L" -url  " + page);

    association.SetOpenCommand(L"\"C:\\corvina-nowhere\\browser.exe\" \"%1\"");
    ClickItem(welcome, IDC_EMAIL);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (box = FindPage(wizard.Id(), 0xFFFF, IDC_VERSION)) != nullptr; }, 10000));
    EXPECT_EQ(ItemText(box, 0xFFFF).rfind(L"Unable to open hyperlink:\n\n", 0), 0u);
}
