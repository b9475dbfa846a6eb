// The real Uninstall.exe on a real installation in the test prefix, driven from outside with
// window messages only, as a user would.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <share.h>

#include "framework/unique_handle.h"
#include "res/resource.h"
#include "tests/test_support.h"
#include "tools/install_log_writer.h"

namespace {

using namespace test;
using Strings = std::vector<std::wstring>;

// A started program ends with its handle at the latest.
void EndProgram(HANDLE process) {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}
using Program = UniqueHandle<HANDLE, EndProgram>;
Program StartProgram(const std::wstring& exe) {
    return Program(StartProcess(L"\"" + exe + L"\""));
}

std::wstring ItemText(HWND page, int id) {
    wchar_t text[2048] = {};
    GetDlgItemTextW(page, id, text, 2048);
    return text;
}
bool ItemEnabled(HWND page, int id) {
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}
Strings WelcomeTexts(HWND page) {
    Strings texts;
    for (int id : {IDC_TITLE, IDC_PROMPT, IDC_VERSION, IDC_PUBLISHER, IDC_CONTACT, IDC_EMAIL})
        texts.push_back(ItemText(page, id));
    return texts;
}
// A left click on a static item (what a link reacts to).
void Click(HWND item) {
    PostMessageW(item, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageW(item, WM_LBUTTONUP, 0, 0);
}
// Clicks a button as the mouse would and returns once the page has handled the click.
void Press(HWND page, int id) {
    SendMessageTimeoutW(GetDlgItem(page, id), BM_CLICK, 0, 0, SMTO_BLOCK, 5000, nullptr);
}

// Points ".htm" at a class of ours, whose open command starts the given program, while it
// lives. The classes below HKEY_CLASSES_ROOT are one for both registry views; the test
// prefix has no ".htm" of its own.
struct ScopedHtmAssociation {
    explicit ScopedHtmAssociation(const std::wstring& openCommand) {
        SetValues(kHtm, {{nullptr, L"CorvinaTest.LinkPage"}});
        SetValues(kPageClass + L"\\shell\\open\\command", {{nullptr, openCommand}});
    }
    ~ScopedHtmAssociation() {
        DeleteKeyTree(kPageClass);
        DeleteKeyTree(kHtm);
    }
    inline static const std::wstring kHtm = L"SOFTWARE\\Classes\\.htm";
    inline static const std::wstring kPageClass = L"SOFTWARE\\Classes\\CorvinaTest.LinkPage";
};

// Names the file the web-page program writes its command line to (children inherit the
// name); Take waits up to 10 s for it to be written whole and takes it.
struct RecordFile {
    RecordFile() {
        DeleteFileW(kPath);
        SetEnvironmentVariableW(L"CORVINA_LINK_RECORD", kPath);
    }
    std::optional<std::wstring> Take() const {
        FILE* file = nullptr; // the program holds it unshared until all of it is written
        if (!WaitUntil([&] { return (file = _wfsopen(kPath, L"rb", _SH_DENYRW)) != nullptr; },
                       10000))
            return std::nullopt;
        wchar_t line[1024] = {};
        fread(line, sizeof(wchar_t), 1023, file);
        fclose(file);
        DeleteFileW(kPath);
        return line;
    }
    static constexpr wchar_t kPath[] = L"C:\\windows\\temp\\corvina_link_record.txt";
};

// One installed product, as the family's installer leaves it, and witnesses beside it: on
// 64-bit Windows also a namesake folder and key of some 64-bit program in the native views.
struct Installation {
    std::wstring name = L"Corvina E2E " + kPid;
    fs::path product = kInstallerFiles / name, group = kCommonPrograms / name;
    fs::path namesake = NativeProgramFiles() / name;
    fs::path terminal = kInstallerFiles / (L"E2E Terminal " + kPid);
    fs::path witness = kInstallerFiles / (L"E2E Witness " + kPid);
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
        SetProductValues({{L"ProductName", name},
                          {L"ProductDir", name},
                          {L"MenuGroup", name},
                          {L"Version", L"3.1.4"},
                          {L"ContactName", L"100% Support"},
                          {L"Publisher", L"Corvina Software"},
                          {L"Email", L"support@corvina.example"}});
        CreateKey(kProductKey + L"\\Extra"); // a subkey: the whole tree must go
        if (OnWow64()) {
            Touch(namesake / L"Readme.txt");
            SetValues(kProductKey, {{L"ProductDir", name}}, kNativeView);
        }
    }
    ~Installation() { Clean(); }
    void Clean() const {
        for (const auto& folder : {product, group, terminal, witness})
            RemoveTree(folder);
        DeleteKeyTree(kProductKey);
        if (OnWow64()) {
            RemoveTree(namesake);
            DeleteKeyTree(kProductKey, kNativeView);
        }
    }
};

class Wizard : public ::testing::Test {
  protected:
    // Starts the installed uninstaller; true when its welcome page came.
    bool Start() {
        wizard = StartProgram((in.product / L"Uninstall.exe").wstring());
        return (welcome = WaitForPage(IDC_VERSION)) != nullptr;
    }
    // The program's visible dialog "Uninstall" with the item marker and without absent.
    HWND WaitForPage(int marker, int absent = 0) const {
        HWND w = nullptr;
        WaitUntil(
            [&] {
                DWORD owner = 0;
                while ((w = FindWindowExW(nullptr, w, L"#32770", L"Uninstall")))
                    if (GetWindowThreadProcessId(w, &owner) &&
                        owner == GetProcessId(wizard.Get()) && IsWindowVisible(w) &&
                        GetDlgItem(w, marker) && !(absent && GetDlgItem(w, absent)))
                        return true;
                return false;
            },
            20000);
        return w;
    }
    // The exit code, or STILL_ACTIVE when the program did not end within 10 s.
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(wizard.Get(), 10000);
        GetExitCodeProcess(wizard.Get(), &code);
        return code;
    }
    Installation in;
    Program wizard;
    HWND welcome = nullptr;
};

} // namespace

TEST_F(Wizard, ShowsDefaultsWithoutTheProductKey) {
    DeleteKeyTree(kProductKey);
    ASSERT_TRUE(Start());
    EXPECT_EQ(WelcomeTexts(welcome),
              (Strings{L"Welcome to Corvina", L"You are about to uninstall _", L"_", L"none",
                       L"none", L"none"}));
}

TEST_F(Wizard, RemovesTheWholeProductFromWelcomeToFinish) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(WelcomeTexts(welcome),
              (Strings{L"Welcome to Corvina", L"You are about to uninstall " + in.name, L"3.1.4",
                       L"Corvina Software", L"100% Support", L"support@corvina.example"}));
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
    Press(welcome, IDOK);

    HWND progress = WaitForPage(IDC_LIST);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(progress, IDOK); }, 30000));
    Strings expected, shown;
    for (const auto& file : in.logged)
        expected.push_back(L"Delete file " + file + L"...");
    for (const auto& folder : {in.product, in.group})
        expected.push_back(L"Remove folder " + folder.wstring() + L"...");
    expected.insert(expected.end(), {L"Unregistering uninstaller...", L"Done."});
    HWND list = GetDlgItem(progress, IDC_LIST);
    for (WPARAM i = 0; i < static_cast<WPARAM>(SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
        wchar_t line[1024] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        shown.push_back(line);
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(ItemText(progress, IDC_STATUS), L"Please click the next button.");
    HWND bar = GetDlgItem(progress, IDC_PROGRESS);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 3);
    EXPECT_FALSE(ItemEnabled(progress, IDCANCEL) || ItemEnabled(progress, IDC_PREV));
    Press(progress, IDOK);

    HWND complete = WaitForPage(IDC_COMPLETE_TEXT);
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(ItemText(complete, IDC_COMPLETE_TEXT).substr(0, 40 + in.name.size()),
              L"The wizard has successfully uninstalled " + in.name);
    EXPECT_TRUE(ItemEnabled(complete, IDCANCEL));
    EXPECT_FALSE(ItemEnabled(complete, IDOK) || ItemEnabled(complete, IDC_PREV));
    Press(complete, IDCANCEL);
    EXPECT_EQ(ExitCode(), 0u);

    for (const auto& file : in.logged)
        EXPECT_FALSE(Exists(file)) << file;
    EXPECT_EQ(Entries(in.product), Strings{L"Uninstall.exe"});
    EXPECT_FALSE(Exists(in.group) || ProductKeyExists());
    EXPECT_TRUE(Exists(in.witness / L"keep.txt"));
    EXPECT_TRUE(!OnWow64() ||
                (Exists(in.namesake / L"Readme.txt") && KeyExists(kProductKey, kNativeView)));
}

TEST_F(Wizard, HoldsNextBackWhileATerminalRuns) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
    {
        const Program terminal = StartProgram(TERMINAL_EXE);
        EXPECT_TRUE(WaitUntil([&] { return !ItemEnabled(welcome, IDOK); }, 2000));
        Press(welcome, IDOK);
        EXPECT_TRUE(IsWindowVisible(welcome)) << "a click on the disabled Next went through";
    }
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
}

TEST_F(Wizard, LeavingTheWelcomePageRemovesNothing) {
    for (const auto& [message, id] :
         {std::pair<UINT, WPARAM>{BM_CLICK, 0}, {WM_COMMAND, IDCANCEL}, {WM_CLOSE, 0}}) {
        SCOPED_TRACE(message); // Cancel clicked, Escape, the Close box
        ASSERT_TRUE(Start());
        PostMessageW(message == BM_CLICK ? GetDlgItem(welcome, IDCANCEL) : welcome, message, id, 0);
        EXPECT_EQ(ExitCode(), 0u);
        for (const auto& file : in.logged)
            EXPECT_TRUE(Exists(file)) << file;
        EXPECT_TRUE(Exists(in.product / L"Presets\\default.set") &&
                    Exists(in.group / L"Uninstall.lnk"));
        EXPECT_TRUE(ProductKeyExists());
    }
}

TEST_F(Wizard, OpensALinkThroughTheWebPageAssociation) {
    const std::wstring page = L"C:\\corvina-nowhere\\page.htm"; // the shell cannot open it
    SetProductValues({{L"ProductURL", page}});
    RecordFile record; // before the start: the program inherits where to write
    const std::wstring recorder = L"\"" + std::wstring(LINK_RECORDER_EXE) + L"\"";
    ScopedHtmAssociation association(recorder + L" -url \"%1\"");
    ASSERT_TRUE(Start());
    Click(GetDlgItem(welcome, IDC_PUBLISHER));
    EXPECT_EQ(record.Take(), recorder + L" -url  " + page);
}

TEST_F(Wizard, ExplainsALinkItCannotOpen) {
    ScopedHtmAssociation association(L"C:\\corvina-nowhere\\browser.exe \"%1\"");
    ASSERT_TRUE(Start());
    Click(GetDlgItem(welcome, IDC_EMAIL));
    HWND box = WaitForPage(0xFFFF, IDC_VERSION);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, 0xFFFF).rfind(L"Unable to open hyperlink:\n\n", 0), 0u);
}
