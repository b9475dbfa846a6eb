// The real Uninstall.exe on a real installation in the test prefix, driven from outside with
// window messages only, as a user would.
#include <windows.h>
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <share.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>

#include "app/single_instance.h"
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

std::wstring ItemText(HWND page, int id) {
    wchar_t text[2048] = {};
    GetDlgItemTextW(page, id, text, 2048);
    return text;
}
bool ItemEnabled(HWND page, int id) {
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}
// The lines of a UTF-8 file that starts with its byte-order mark and ends lines with CR LF.
Strings FileLines(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    Strings lines;
    for (size_t start = 1, end; (end = wide.find(L"\r\n", start)) != wide.npos; start = end + 2)
        lines.push_back(wide.substr(start, end - start));
    return lines;
}
// The file's access list in the security descriptor language: everybody is "WD", the users
// "BU".
std::wstring AccessList(const fs::path& file) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    wchar_t* text = nullptr;
    GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          nullptr, nullptr, &descriptor);
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::wstring list = text ? text : L"none";
    LocalFree(text), LocalFree(descriptor);
    return list;
}

// The file version that the system shows for the file, from its version resource.
std::wstring FileVersion(const fs::path& file) {
    std::vector<BYTE> block(GetFileVersionInfoSizeW(file.c_str(), nullptr) + 1);
    wchar_t* text = nullptr;
    UINT length = 0;
    GetFileVersionInfoW(file.c_str(), 0, DWORD(block.size()), block.data());
    VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                   reinterpret_cast<void**>(&text), &length);
    return text ? text : L"none";
}
// Presses and releases each key, as the keyboard would; true once the item has the focus,
// within 2 s (at once without one).
bool Type(std::initializer_list<WORD> keys, HWND focus = nullptr) {
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        for (DWORD flags : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)})
            inputs.push_back(INPUT{INPUT_KEYBOARD, {.ki = {key, 0, flags, 0, 0}}});
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    GUITHREADINFO in{sizeof in, 0, {}, {}, {}, {}, {}, {}, {}};
    const DWORD thread = focus ? GetWindowThreadProcessId(focus, nullptr) : 0;
    return !focus ||
           WaitUntil([&] { return GetGUIThreadInfo(thread, &in) && in.hwndFocus == focus; }, 2000);
}
// Clicks a button as the mouse would and returns once the page has handled the click.
void Press(HWND page, int id) {
    SendMessageTimeoutW(GetDlgItem(page, id), BM_CLICK, 0, 0, SMTO_BLOCK, 5000, nullptr);
}

// The file the web-page program writes its command line to; Take waits up to 10 s for it to
// be written whole and takes it.
struct RecordFile {
    RecordFile() { DeleteFileW(kPath); }
    std::optional<std::wstring> Take() const {
        FILE* file = nullptr; // the program holds it unshared until all of it is written
        if (!WaitUntil([&] { return !!(file = _wfsopen(kPath, L"rb", _SH_DENYRW)); }, 10000))
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
    const PendingRenames pending; // the own file's and the folder's deletions, put back after
    std::wstring name = L"Corvina E2E " + kPid;
    fs::path product = kInstallerFiles / name, group = kCommonPrograms / name;
    fs::path namesake = NativeProgramFiles() / name;
    fs::path terminal = kInstallerFiles / (L"E2E Terminal " + kPid);
    fs::path witness = kInstallerFiles / (L"E2E Witness " + kPid);
    Strings logged = {(terminal / L"experts\\Corvina.ex4").wstring(),
                      (terminal / L"Corvina.dll").wstring(), (product / L"Readme.txt").wstring()};
    fs::path log = fs::temp_directory_path() / (L"removal " + kPid + L".log");

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
        SetValues(kProductKey, {{L"ProductName", name},
                                {L"ProductDir", name},
                                {L"MenuGroup", name},
                                {L"Version", L"3.1.4"},
                                {L"ContactName", L"100% Support"},
                                {L"Publisher", L"Corvina Software"},
                                {L"Email", L"support@corvina.example"}});
        SetValues(kProductKey + L"\\Extra", {}); // a subkey: the whole tree must go
        if (HasTwoViews()) {
            Touch(namesake / L"Readme.txt");
            SetValues(kProductKey, {{L"ProductDir", name}}, kNativeView);
        }
    }
    ~Installation() { Clean(); }
    // What the progress page lists for this installation.
    Strings ListedSteps() const {
        Strings lines;
        for (const auto& file : logged)
            lines.push_back(L"Delete file " + file + L"...");
        for (const auto& folder : {product, group})
            lines.push_back(L"Remove folder " + folder.wstring() + L"...");
        lines.push_back(L"Unregistering uninstaller...");
        if (!Exists(product / L"Uninstall.exe"))
            lines.push_back(L"Removed at the next restart: " + OwnFile().wstring());
        lines.push_back(L"Done.");
        return lines;
    }
    // The uninstaller, renamed in its folder once it removed the product.
    fs::path OwnFile() const { return product / Entries(product).at(0); }
    // Nothing stays but the uninstaller's file, renamed, which goes with the folder at the
    // next restart.
    bool Removed() const {
        return std::none_of(logged.begin(), logged.end(), [](auto& f) { return Exists(f); }) &&
               Entries(product).size() == 1 && !Exists(product / L"Uninstall.exe") &&
               pending.Has(OwnFile()) && pending.Has(product) && !Exists(group) &&
               !ProductKeyExists();
    }
    bool Untouched() const {
        return std::all_of(logged.begin(), logged.end(), [](auto& f) { return Exists(f); }) &&
               Exists(product / L"Presets\\default.set") && Exists(group / L"Uninstall.lnk") &&
               ProductKeyExists();
    }
    void Clean() const {
        for (const auto& folder : {product, group, terminal, witness})
            RemoveTree(folder);
        DeleteFileW(log.c_str());
        DeleteKeyTree(kProductKey);
        if (HasTwoViews()) {
            RemoveTree(namesake);
            DeleteKeyTree(kProductKey, kNativeView);
        }
    }
};

class Wizard : public ::testing::Test {
  protected:
    // From the welcome page on to the progress page, and through the removal to its end.
    HWND GoToProgress() {
        WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000);
        Press(welcome, IDOK);
        HWND progress = WaitForPage(IDC_LIST);
        // Next starts enabled: the worker's last two steps tell its end.
        EXPECT_TRUE(WaitUntil(
            [&] {
                return ItemText(progress, IDC_STATUS) == L"Please click the next button." &&
                       ItemEnabled(progress, IDOK);
            },
            30000))
            << "the removal did not end";
        return progress;
    }
    // On through the removal to the last page.
    HWND GoToCompletion() {
        Press(GoToProgress(), IDOK);
        return WaitForPage(IDC_COMPLETE_TEXT);
    }
    // Starts the uninstaller, the installed one unless named, once the last one ended; true
    // when its welcome page came.
    bool Start(const std::wstring& arguments = {}, const fs::path& exe = {}) {
        wizard.Reset();
        wizard = Program(StartProcess(Command(arguments, exe)));
        return (welcome = WaitForPage(IDC_VERSION)) != nullptr;
    }
    // The program's visible dialog "Uninstall" with the item marker and without absent.
    HWND WaitForPage(int marker, int absent = 0) const {
        HWND w = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] {
                DWORD owner = 0;
                while ((w = FindWindowExW(nullptr, w, L"#32770", L"Uninstall")))
                    if (GetWindowThreadProcessId(w, &owner) &&
                        owner == GetProcessId(wizard.Get()) && IsWindowVisible(w) &&
                        GetDlgItem(w, marker) && !(absent && GetDlgItem(w, absent)))
                        return true;
                return false;
            },
            20000))
            << "no page with item " << marker;
        return w;
    }
    std::wstring Command(const std::wstring& arguments, const fs::path& exe = {}) const {
        return L"\"" + (exe.empty() ? in.product / L"Uninstall.exe" : exe).wstring() + L"\" " +
               arguments;
    }
    // The exit code, or STILL_ACTIVE when the program did not end within the time.
    static DWORD ExitCode(HANDLE program, DWORD milliseconds = 10000) {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(program, milliseconds);
        GetExitCodeProcess(program, &code);
        return code;
    }
    // An unattended run with a log, to its end; notes whether a window of it was ever seen.
    DWORD RunUnattended(const std::wstring& arguments = L"/S") {
        const Program run(
            StartProcess(Command(L"/LOG=\"" + in.log.wstring() + L"\" " + arguments)));
        WaitUntil(
            [&] {
                DWORD owner = 0;
                for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr));)
                    windowSeen |= GetWindowThreadProcessId(w, &owner) &&
                                  owner == GetProcessId(run.Get()) && IsWindowVisible(w);
                return WaitForSingleObject(run.Get(), 0) == WAIT_OBJECT_0;
            },
            60000);
        return ExitCode(run.Get(), 0);
    }
    Installation in;
    Program wizard;
    HWND welcome = nullptr;
    bool windowSeen = false;
};
using Unattended = Wizard; // runs without a window, beside a wizard where a test wants one

} // namespace

// Every argument but /LOG is ignored without /S. The log has a first line with date, time,
// version and command line, the list's lines and the result.
TEST_F(Wizard, RemovesTheWholeProductFromWelcomeToFinish) {
    const std::wstring arguments = L"/unknown /LOG=\"" + in.log.wstring() + L"\"";
    ASSERT_TRUE(Start(arguments));

    Strings texts;
    for (int id : {IDC_TITLE, IDC_PROMPT, IDC_VERSION, IDC_PUBLISHER, IDC_CONTACT, IDC_EMAIL})
        texts.push_back(ItemText(welcome, id));
    EXPECT_EQ(texts,
              (Strings{L"Welcome to Corvina", L"You are about to uninstall " + in.name, L"3.1.4",
                       L"Corvina Software", L"100% Support", L"support@corvina.example"}));
    HWND progress = GoToProgress();
    EXPECT_EQ(ListLines(GetDlgItem(progress, IDC_LIST)), in.ListedSteps());
    EXPECT_EQ(SendDlgItemMessageW(progress, IDC_PROGRESS, PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(SendDlgItemMessageW(progress, IDC_PROGRESS, PBM_GETPOS, 0, 0), 3);
    EXPECT_FALSE(ItemEnabled(progress, IDCANCEL) || ItemEnabled(progress, IDC_PREV));
    Press(progress, IDOK);

    HWND complete = WaitForPage(IDC_COMPLETE_TEXT);
    EXPECT_EQ(ItemText(complete, IDC_COMPLETE_TEXT).substr(0, 40 + in.name.size()),
              L"The wizard has successfully uninstalled " + in.name);
    EXPECT_TRUE(ItemEnabled(complete, IDCANCEL));
    EXPECT_FALSE(ItemEnabled(complete, IDOK) || ItemEnabled(complete, IDC_PREV));
    Press(complete, IDCANCEL);
    EXPECT_EQ(ExitCode(wizard.Get()), 0u);

    EXPECT_TRUE(in.Removed());
    EXPECT_TRUE(Exists(in.witness / L"keep.txt"));
    EXPECT_TRUE(!HasTwoViews() ||
                (Exists(in.namesake / L"Readme.txt") && KeyExists(kProductKey, kNativeView)));
    const Strings lines = FileLines(in.log);
    ASSERT_GE(lines.size(), 2u);
    std::wsmatch first;
    ASSERT_TRUE(std::regex_match(lines.front(), first,
                                 std::wregex(L"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d Corvina "
                                             L"Uninstall (.+), command line: (.+)")))
        << lines.front();
    EXPECT_EQ(first.str(1), FileVersion(UNINSTALL_EXE));
    EXPECT_EQ(first.str(2), Command(arguments));
    EXPECT_EQ(Strings(lines.begin() + 1, lines.end() - 1), in.ListedSteps());
    EXPECT_EQ(lines.back(), L"Result: 0 (success: the product was removed)");
}

// Next stays disabled while a terminal runs.
TEST_F(Wizard, HoldsTheRemovalBackWhileATerminalRuns) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(welcome, IDOK); }, 2000));
    {
        const Program terminal(StartProcess(L"\"" TERMINAL_EXE L"\""));
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
        EXPECT_EQ(ExitCode(wizard.Get()), 1602u); // cancelled by the user
        EXPECT_TRUE(in.Untouched());
    }
}

TEST_F(Wizard, OpensEachLinkFromTheKeyboardAndGoesOnWithNext) {
    SetValues(kProductKey, {{L"ProductURL", L"http://corvina.example/keys"}});
    RecordFile record;
    const std::wstring recorder = L"\"" + std::wstring(LINK_RECORDER_EXE) + L"\"";
    ScopedUrlCommand http(L"http", recorder + L" \"%1\""), mail(L"mailto", recorder + L" \"%1\"");
    if (!WaitForDesktopShell())
        GTEST_SKIP() << kNoDesktopShell;
    ASSERT_TRUE(Start());
    SetForegroundWindow(welcome);
    EXPECT_TRUE(Type({VK_TAB, VK_TAB}, GetDlgItem(welcome, IDC_PUBLISHER))); // past Next, Cancel
    Type({VK_RETURN});
    // Started by the desktop's shell, with its user's rights (Wine's desktop answers).
    EXPECT_EQ(record.Take(), recorder + L" \"http://corvina.example/keys\" by explorer.exe");
    EXPECT_TRUE(Type({VK_TAB}, GetDlgItem(welcome, IDC_EMAIL)));
    Type({VK_SPACE});
    EXPECT_EQ(record.Take(), recorder + L" \"mailto:support@corvina.example\" by explorer.exe");
    EXPECT_TRUE(Type({VK_TAB}, GetDlgItem(welcome, IDOK))) << "Enter on a link pressed Next";
    Type({VK_RETURN});
    WaitForPage(IDC_LIST);
}

// Programs on the user's own PATH, named by a link or by the default "none", never start.
TEST_F(Wizard, StartsNoProgramALinkNamesAndExplainsTheRefusal) {
    const fs::path folder = fs::temp_directory_path() / (L"corvina-path " + kPid);
    fs::create_directories(folder);
    for (const wchar_t* name : {L"marker.exe", L"none.exe"})
        fs::copy_file(LINK_RECORDER_EXE, folder / name, fs::copy_options::overwrite_existing);
    const std::wstring path = _wgetenv(L"PATH");
    SetEnvironmentVariableW(L"PATH", (folder.wstring() + L";" + path).c_str());
    SetValues(kProductKey, {{L"ProductURL", L"none"}, {L"Email", L"marker"}});
    RecordFile record;
    ASSERT_TRUE(Start());
    SetEnvironmentVariableW(L"PATH", path.c_str());
    for (int link : {IDC_PUBLISHER, IDC_EMAIL}) {
        PostMessageW(GetDlgItem(welcome, link), WM_LBUTTONDOWN, MK_LBUTTON, 0); // opens it
        HWND box = WaitForPage(0xFFFF, IDC_VERSION);
        EXPECT_EQ(ItemText(box, 0xFFFF).rfind(L"Unable to open hyperlink:\n\n", 0), 0u);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 2000));
    }
    EXPECT_EQ(record.Take(), std::nullopt);
    RemoveTree(folder);
}

TEST_F(Wizard, ReadsNoLogOutsideProgramFiles) {
    // ".." steps lead out of Program Files, to a folder any user may create.
    const fs::path planted = L"C:\\Planted " + kPid, witness = planted / L"witness.txt";
    Touch(witness);
    WriteInstallLog((planted / L"Install.log").wstring(), {witness.wstring()});
    SetValues(kProductKey, {{L"ProductDir", L"..\\..\\" + planted.filename().wstring()}});
    ASSERT_TRUE(Start());
    HWND progress = GoToProgress();
    // Two folders, the key and "Done.": no line for a file of the planted log.
    EXPECT_EQ(ListLines(GetDlgItem(progress, IDC_LIST)).size(), 4u);
    EXPECT_TRUE(Exists(witness));
    RemoveTree(planted);
}

// The renamed uninstaller and its folder go at the next restart (Removed says so); a new
// Uninstall.exe that a reinstall lays there meanwhile is not touched. A file a user laid
// where the log goes is made anew for administrators.
TEST_F(Unattended, RemovesAsTheWizardDoesWithoutAWindow) {
    std::ofstream(in.log) << "planted by a user\nResult: 0\n";
    ASSERT_NE(AccessList(in.log).find(L";WD)"), std::wstring::npos); // as the folder has it
    EXPECT_EQ(RunUnattended(L"/s"), 0u);
    EXPECT_FALSE(windowSeen);
    ASSERT_TRUE(in.Removed());
    EXPECT_FALSE(std::regex_search(AccessList(in.log), std::wregex(L";(WD|BU)\\)")));
    const Strings lines = FileLines(in.log); // the first and the last frame the steps
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].find(L"Corvina Uninstall"), 20u);
    EXPECT_EQ(Strings(lines.begin() + 1, lines.end() - 1), in.ListedSteps());
    EXPECT_EQ(lines.back(), L"Result: 0 (success: the product was removed)");
    fs::copy_file(UNINSTALL_EXE, in.product / L"Uninstall.exe");
    EXPECT_FALSE(in.pending.Has(in.product / L"Uninstall.exe"));
}

// A bad argument, a log that cannot be made (a later /LOG names the log), no registration, one
// that names no folder (the wizard's defaults would empty "EXA" folders that belong to
// somebody else) or a running terminal (the engine is told to try again later) stop the run
// before it touches anything.
TEST_F(Unattended, TouchesNothingWhenItCannotGoOn) {
    const fs::path others[] = {kInstallerFiles / L"EXA\\a.txt", kCommonPrograms / L"EXA\\a.lnk"};
    for (const fs::path& file : others)
        Touch(file);
    const RegValue dir{L"ProductDir", in.name}, group{L"MenuGroup", in.name};
    const std::wstring no = L"The registration has no ", empty = L" value, or an empty one.";
    using Case = std::tuple<const wchar_t*, std::vector<RegValue>, DWORD, std::wstring>;
    for (const auto& [arguments, values, code, said] : std::initializer_list<Case>{
             {L"/S /bogus", {dir, group}, 87, L"Not understood: /bogus"},
             {L"/quiet", {dir, group}, 1618, L"A MetaTrader terminal (terminal.exe) is running."},
             {L"/S /LOG=C:\\nowhere\\removal.log", {dir, group}, 82, L""},
             {L"/S", {}, 1605, L"Result: 1605"},
             {L"/S", {group}, 1610, no + L"ProductDir" + empty},
             {L"/S", {dir}, 1610, no + L"MenuGroup" + empty},
             {L"/S", {{L"ProductDir", L""}, group}, 1610, no + L"ProductDir" + empty},
             {L"/S", {dir, {L"MenuGroup", L""}}, 1610, no + L"MenuGroup" + empty}}) {
        SCOPED_TRACE(said);
        DeleteKeyTree(kProductKey);
        DeleteFileW(in.log.c_str());
        if (!values.empty())
            SetValues(kProductKey, values);
        const Program terminal(code == 1618 ? StartProcess(L"\"" TERMINAL_EXE L"\"") : nullptr);
        EXPECT_EQ(RunUnattended(arguments), code);
        EXPECT_TRUE(Exists(others[0]) && Exists(others[1]) && (values.empty() || in.Untouched()));
        const Strings lines = FileLines(in.log);
        EXPECT_EQ(lines.size() > 1 ? lines[1].substr(0, said.size()) : L"", said);
    }
    for (const fs::path& file : others)
        RemoveTree(file.parent_path());
}

// A file held open in the product folder goes at the next restart; a logged one outside it
// stays. A logged folder, the terminal's, stays and is not counted.
TEST_F(Unattended, NamesWhatStayed) {
    const std::wstring held[] = {(in.product / L"Help.chm").wstring(), in.logged[0]};
    for (const bool withLogged : {false, true}) {
        SCOPED_TRACE(withLogged);
        fs::copy_file(UNINSTALL_EXE, in.product / L"Uninstall.exe",
                      fs::copy_options::skip_existing);
        for (const std::wstring& file : held)
            Touch(file);
        WriteInstallLog((in.product / L"Install.log").wstring(),
                        {held[1], in.logged[1], (in.terminal / L"experts").wstring()});
        const UniqueFileHandle open[] = {UniqueFileHandle(Hold(held[0])),
                                         UniqueFileHandle(withLogged ? Hold(held[1]) : nullptr)};
        EXPECT_EQ(RunUnattended(), withLogged ? 1603u : 3010u);
        EXPECT_TRUE(Exists(held[0]) && in.pending.Has(held[0]));
        EXPECT_FALSE(Exists(in.logged[1]) || Exists(in.group) || ProductKeyExists());
        EXPECT_EQ(FileLines(in.log).end()[-2] == L"Still there: " + held[1], withLogged);
        SetValues(kProductKey, {{L"ProductDir", in.name}, {L"MenuGroup", in.name}});
    }
}

// Unattended, a second instance ends 1618; a wizard shows the first one's page and ends 0.
// The same program in another folder, a user's look-alike, is not the removal's to bring
// forward; once it is ended abruptly, its mutex is abandoned, and the next one takes it over.
TEST_F(Unattended, LeavesTheRemovalToTheFirstInstance) {
    const fs::path lookAlike = fs::temp_directory_path() / (L"look-alike " + kPid);
    fs::create_directories(lookAlike);
    fs::copy_file(UNINSTALL_EXE, lookAlike / L"Uninstall.exe",
                  fs::copy_options::overwrite_existing);
    UniqueKernelHandle mutex; // kept past its holder's end: the mutex is abandoned, not gone
    for (const fs::path& folder : {lookAlike, in.product}) {
        SCOPED_TRACE(folder);
        ASSERT_TRUE(Start({}, folder / L"Uninstall.exe"));
        DWORD error = ERROR_SUCCESS;
        mutex =
            UniqueKernelHandle(OpenMutexW(SYNCHRONIZE, FALSE, InstanceMutexName(error).c_str()));
        ASSERT_TRUE(mutex);
        ShowWindow(welcome, SW_MINIMIZE);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(welcome) != FALSE; }, 2000));
        EXPECT_EQ(RunUnattended(), 1618u);
        EXPECT_EQ(FileLines(in.log).at(1), L"Another Uninstall.exe is running.");
        EXPECT_EQ(RunUnattended(L""), 0u);
        EXPECT_FALSE(windowSeen);
        EXPECT_EQ(WaitUntil([&] { return !IsIconic(welcome); }, 2000), folder == in.product);
        EXPECT_TRUE(in.Untouched());
    }
    GoToProgress();
    EXPECT_TRUE(in.Removed());
    RemoveTree(lookAlike);
}

// A product file held open goes at the next restart: the last page names it and leaves the
// restart to the user, with "later" chosen.
TEST_F(Wizard, NamesWhatTheRestartDeletesAndLetsTheUserChooseWhen) {
    const fs::path held = in.logged[2]; // in the product folder: met by the log and the walk
    const UniqueFileHandle open(Hold(held));
    ASSERT_TRUE(Start());
    HWND complete = GoToCompletion();
    EXPECT_NE(ItemText(complete, IDC_COMPLETE_TEXT).find(in.name), std::wstring::npos);
    EXPECT_EQ(ListLines(GetDlgItem(complete, IDC_LEFT_LIST)), Strings{held.wstring()});
    EXPECT_EQ(SendDlgItemMessageW(complete, IDC_RESTART_LATER, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageW(complete, IDC_RESTART_NOW, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Press(complete, IDCANCEL);
    EXPECT_EQ(ExitCode(wizard.Get()), 3010u);
}

// A logged file held open outside Program Files stays: the last page says so, names it and
// the log, and the uninstaller keeps its own file.
TEST_F(Wizard, NamesWhatStayedAndTheLogOnTheLastPage) {
    const fs::path held = fs::temp_directory_path() / (L"E2E held " + kPid);
    Touch(held);
    WriteInstallLog((in.product / L"Install.log").wstring(), {held.wstring()});
    UniqueFileHandle open(Hold(held));
    ASSERT_TRUE(Start(L"/LOG=\"" + in.log.wstring() + L"\""));
    HWND complete = GoToCompletion();
    EXPECT_EQ(ItemText(complete, IDC_TITLE).find(L"Complete"), std::wstring::npos);
    EXPECT_EQ(ListLines(GetDlgItem(complete, IDC_LEFT_LIST)), Strings{held.wstring()});
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(complete, IDC_LOG_PATH)));
    EXPECT_EQ(ItemText(complete, IDC_LOG_PATH), in.log.wstring());
    Press(complete, IDCANCEL);
    EXPECT_EQ(ExitCode(wizard.Get()), 1603u);
    EXPECT_TRUE(Exists(in.product / L"Uninstall.exe"));
    open.Reset();
    DeleteFileW(held.c_str());
}
