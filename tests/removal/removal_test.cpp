// The removal on real folders and the real product key of the test prefix, each run beside
// witnesses that must survive it.
#include <windows.h>
#include <gtest/gtest.h>

#include "framework/unique_handle.h"
#include "removal/places.h"
#include "removal/removal_engine.h"
#include "removal/removal_outcome.h"
#include "removal/safe_delete.h"
#include "tests/test_support.h"

namespace {

using namespace test;
using Strings = std::vector<std::wstring>;

// Wine shows a Unix link to a folder as a directory with a reparse point (0x410).
bool MakeLink(const fs::path& link, const fs::path& target) {
    Host(L"ln -s " + Unix(target) + L" " + Unix(link));
    return GetFileAttributesW(link.c_str()) == 0x410;
}

struct Recorder : RemovalProgress {
    Strings calls;
    std::wstring diagnostics; // a line each
    void Diagnostic(const std::wstring& line) override { diagnostics += line + L"\n"; }
    void ClearList() override { calls.push_back(L"clear"); }
    void AddLine(const std::wstring& line) override { calls.push_back(line); }
    void StepProgress() override { calls.push_back(L"step"); }
};

// A product as the installer leaves it, a folder of files outside it, and witness folders
// beside the product folder and the group.
class Removal : public testing::Test {
  protected:
    const std::wstring name = L"Corvina Product " + kPid, witness = L"Corvina Witness " + kPid;
    const fs::path product = kInstallerFiles / name, group = kCommonPrograms / name;
    const fs::path outside = kInstallerFiles / (L"Corvina Outside " + kPid);
    const fs::path witnesses[2] = {kInstallerFiles / witness, kCommonPrograms / witness};
    std::wstring productDir = name, menuGroup = name;
    Recorder progress;

    void SetUp() override {
        Clean();
        for (const auto& folder : witnesses)
            Touch(folder / L"keep.txt");
    }
    void TearDown() override {
        EXPECT_TRUE(Exists(witnesses[0] / L"keep.txt") && Exists(witnesses[1] / L"keep.txt"));
        Clean();
    }
    // One host command for all: each costs a process start.
    void Clean() const {
        Host(L"rm -rf " + Unix(product) + L" " + Unix(group) + L" " + Unix(outside) + L" " +
             Unix(witnesses[0]) + L" " + Unix(witnesses[1]));
    }
    // Runs the removal of a log of count entries with the given slots (a text of 260 code units
    // or more fills its slot without a NUL); the run's diagnostics, and what it left in outcome.
    std::wstring Run(int count = 0, const Strings& slots = {}) {
        InstallLogRecord log = {count, {}};
        for (size_t i = 0; i < slots.size(); ++i)
            slots[i].copy(log.entries[i], kLogSlotLength);
        progress = {};
        CNtRegistry registry;
        RunRemoval({log, productDir, menuGroup, registry}, progress);
        outcome = LeftBehind({log, productDir, menuGroup, registry});
        return progress.diagnostics;
    }
    Leftovers outcome;
    // The calls of a whole run, given those up to the last logged file.
    Strings Calls(Strings calls) const {
        calls.push_back(L"Remove folder " + kInstallerFiles.wstring() + L"\\" + productDir +
                        L"...");
        calls.push_back(L"Remove folder " + kCommonPrograms.wstring() + L"\\" + menuGroup + L"...");
        calls.push_back(L"Unregistering uninstaller...");
        return calls;
    }
};

TEST_F(Removal, ReportsEachStepInOrder) {
    const std::wstring a = (outside / L"a.ex4").wstring(), b = (outside / L"b").wstring();
    Run(2, {a, b});
    EXPECT_EQ(progress.calls, Calls({L"clear", L"Delete file " + a + L"...", L"step",
                                     L"Delete file " + b + L"...", L"step"}));
}

TEST_F(Removal, RemovesTheInstallation) {
    for (const auto& file : {product / L"D\\b.set", group / L"Tools\\a.lnk", outside / L"a.ex4"})
        Touch(file);
    SetValues(kProductKey, {});
    EXPECT_EQ(Run(1, {(outside / L"a.ex4").wstring()}), L"");
    EXPECT_TRUE(outcome.stayed.empty() && outcome.atRestart.empty());
    EXPECT_TRUE(Entries(product).empty());
    EXPECT_FALSE(Exists(group) || Exists(outside / L"a.ex4") || ProductKeyExists());
    EXPECT_TRUE(KeyExists(kUninstallKey));
}

TEST_F(Removal, SparesFilesEndingInUninstallExe) {
    // Wine's folders ignore case, so the lower-case twin lives in a folder of its own.
    for (const wchar_t* file : {L"Uninstall.exe", L"MyUninstall.exe", L"Presets\\uninstall.exe"})
        Touch(product / file);
    Touch(outside / L"a.exe");
    fs::create_directories(product / L"Tools");
    Host(L"ln -s " + Unix(outside / L"a.exe") + L" " + Unix(product / L"Tools\\Uninstall.exe"));
    Run();
    EXPECT_EQ(Entries(product), (Strings{L"MyUninstall.exe", L"Tools", L"Uninstall.exe"}));
    EXPECT_TRUE(outcome.stayed.empty() && outcome.atRestart.empty());
    EXPECT_TRUE(Exists(product / L"Tools\\Uninstall.exe") && Exists(outside / L"a.exe"));
}

TEST_F(Removal, LeavesALoggedFolderOrLinkToOne) {
    Touch(outside / L"Folder\\kept.txt");
    ASSERT_TRUE(MakeLink(outside / L"Link", outside / L"Folder"));
    const std::wstring left = L"Left in place (a folder named in the installation log): ";
    EXPECT_EQ(Run(2, {(outside / L"Folder").wstring(), (outside / L"Link").wstring()}),
              left + (outside / L"Folder").wstring() + L"\n" + left +
                  (outside / L"Link").wstring() + L"\nDelete shoortcut directory failed.\n");
    EXPECT_TRUE(Exists(outside / L"Folder\\kept.txt") && Exists(outside / L"Link"));
}

// Held files wait for a restart only in the product's folders; a logged one elsewhere stays.
TEST_F(Removal, RemovesFilesInUseAtTheNextRestartAfterThemTheirFolders) {
    const fs::path held[] = {outside / L"held.ex4", product / L"Sub\\held.txt", group / L"a.lnk"};
    std::vector<UniqueFileHandle> open;
    for (const fs::path& file : held) {
        Touch(file);
        open.emplace_back(Hold(file));
    }
    const PendingRenames pending;
    EXPECT_EQ(Run(1, {held[0].wstring()}), L"");
    Strings scheduled;
    for (const std::wstring& call : progress.calls)
        if (call.starts_with(L"Removed at the next restart: "))
            scheduled.push_back(call.substr(29));
    const Strings expected = {held[1], product / L"Sub", held[2], group};
    EXPECT_EQ(scheduled, expected);
    for (const std::wstring& path : expected)
        EXPECT_TRUE(pending.Has(path)) << path;
    EXPECT_FALSE(pending.Has(held[0]));
    EXPECT_EQ(outcome.atRestart, expected);
    EXPECT_EQ(outcome.stayed, Strings{held[0]});
}

TEST_F(Removal, ClampsTheCountToTheSlots) {
    for (const auto& [count, steps] : {std::pair{-1, 0}, {100, 100}, {150, 100}}) {
        SCOPED_TRACE(count);
        Run(count);
        EXPECT_EQ(std::ranges::count(progress.calls, L"step"), steps);
    }
}

TEST_F(Removal, KeepsTheFileOfASlotWithoutNul) {
    const std::wstring slot = (outside / std::wstring(260, L'x')).wstring().substr(0, 260);
    Touch(slot.substr(0, 259));
    Run(1, {slot});
    EXPECT_EQ(progress.calls.at(1), L"Delete file " + slot + L"...");
    EXPECT_TRUE(Exists(slot.substr(0, 259)));
}

TEST_F(Removal, ResolvesPlacesBelowTheMachinesRootsOnly) {
    EXPECT_EQ(Roots().installerFiles, kInstallerFiles.wstring());
    EXPECT_EQ(Roots().programs, kCommonPrograms.wstring());
    fs::create_directories(product / L"Sub");
    ASSERT_TRUE(MakeLink(product / L"Link", witnesses[0]));
    for (const std::wstring& folder :
         Strings{name + L"/x\\..\\Sub", name + L"\\Link", name + L"\\Link\\x", std::wstring(), L".",
                 L"..", L"...", L". .", L"a\\..", L"..\\x", L"a\\.. \\b", L"C:\\x", L"C:x", L"\\x",
                 L"/x", L"\\\\srv\\share"})
        EXPECT_EQ(ResolvePlace(Roots().installerFiles, folder).state, Place::kRefused) << folder;
    for (const auto& [folder, state] : {std::pair{name + L"\\Sub", Place::kOpen},
                                        {L".\\" + name + L"\\Sub.\\", Place::kOpen},
                                        {name + L"\\None", Place::kAbsent}}) {
        SCOPED_TRACE(folder);
        const Place place = ResolvePlace(Roots().installerFiles, folder);
        EXPECT_EQ(place.state, state);
        EXPECT_EQ(place.final,
                  state == Place::kOpen ? L"\\\\?\\" + (product / L"Sub").wstring() : L"");
    }
}

TEST_F(Removal, GoesOnPastRefusedFolders) {
    // Empty names would be the parents themselves; the others lead to the witnesses.
    for (const auto& names : {std::pair<std::wstring, std::wstring>{L"", L""},
                              {witnesses[0].wstring(), L"x\\..\\" + witness}}) {
        SCOPED_TRACE(names.first);
        std::tie(productDir, menuGroup) = names;
        EXPECT_EQ(Run(), L"Product folder skipped: not below the Program Files folder.\n"
                         L"Shortcut group skipped: not below the Programs folder.\n");
        EXPECT_EQ(progress.calls, Calls({L"clear"}));
    }
}

TEST_F(Removal, ReportsWhatItCannotDelete) {
    Touch(product / L"Sub\\locked.txt");
    Touch(product / L"Sub2\\free.txt");
    SetFileAttributesW((product / L"Sub\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Run(), L"Delete file failed.\nDelete directory failed.\n"
                     L"Delete shoortcut directory failed.\n");
    EXPECT_EQ(Entries(product), Strings{L"Sub"});
    EXPECT_EQ(progress.calls, Calls({L"clear"}));
}

TEST_F(Removal, NeverFollowsLinks) {
    Touch(product / L"Sub\\own.txt");
    Touch(outside / L"Full\\keep.txt");
    fs::create_directories(outside / L"Empty");
    ASSERT_TRUE(MakeLink(product / L"ToFull", outside / L"Full"));
    ASSERT_TRUE(MakeLink(product / L"Sub\\ToEmpty", outside / L"Empty"));
    ASSERT_TRUE(MakeLink(group, outside / L"Full")); // a linked group is not walked at all
    Run();
    EXPECT_TRUE(Exists(outside / L"Full\\keep.txt") && Exists(outside / L"Empty"));
    // Wine opens what a Unix link leads to, so the links stay here instead of going as links.
    EXPECT_FALSE(Exists(product / L"Sub\\own.txt"));
}

// The terminal's data folder is the user's: a link there must not aim a deletion elsewhere.
TEST_F(Removal, DeletesLoggedFilesOnlyWhereTheyLie) {
    for (const wchar_t* file : {L"Real\\a.ex4", L"Own\\a.ex4", L"held.ex4", L"Own\\Sub\\x"})
        Touch(outside / file);
    ASSERT_TRUE(MakeLink(outside / L"Own\\Linked", outside / L"Real"));
    Host(L"ln -s " + Unix(outside / L"Real\\a.ex4") + L" " + Unix(outside / L"Own\\b.ex4"));
    Run(2, {(outside / L"Own\\Linked\\a.ex4").wstring(), (outside / L"Own\\a.ex4").wstring()});
    EXPECT_FALSE(Exists(outside / L"Own\\a.ex4"));
    const UniqueFileHandle held(CreateFileW((outside / L"held.ex4").c_str(), GENERIC_READ, 0,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    for (const auto& [name, code] :
         {std::pair{L"Own\\Linked\\a.ex4", kErrorReparsePointEncountered},
          {L"Own\\b.ex4", kErrorReparsePointEncountered},
          {L"Own\\Sub", kErrorDirectoryNotSupported},
          {L"held.ex4", DWORD{ERROR_SHARING_VIOLATION}},
          {L"none.ex4", DWORD{ERROR_FILE_NOT_FOUND}},
          {L"None\\a.ex4", DWORD{ERROR_PATH_NOT_FOUND}},
          {L"Own\\Sub\\x", DWORD{ERROR_SUCCESS}}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(DeleteFileNoLinks((outside / name).wstring()), code);
    }
    EXPECT_TRUE(Exists(outside / L"Real\\a.ex4") && Exists(outside / L"held.ex4"));
    // Only a full path on a local drive: no relative, network, device or stream name.
    const std::wstring file = (outside / L"Real\\a.ex4").wstring();
    for (const std::wstring& path : {file.substr(3), L"C:" + file.substr(3), L"\\\\?\\" + file,
                                     L"\\\\localhost\\C$\\" + file.substr(3), file + L":x"}) {
        EXPECT_EQ(DeleteFileNoLinks(path), DWORD{ERROR_INVALID_NAME}) << path;
    }
    EXPECT_TRUE(Exists(file));
}

TEST_F(Removal, RemovesAChainOfAThousandFolders) {
    std::wstring chain = L"d";
    for (int level = 1; level < 1000; ++level)
        chain += L"\\d";
    std::wstring host = Unix(product) + L"/" + chain;
    std::ranges::replace(host, L'\\', L'/');
    Host(L"mkdir -p " + host + L" && : >" + host + L"/x");
    ASSERT_TRUE(Exists(L"\\\\?\\" + product.wstring() + L"\\" + chain + L"\\x"));
    EXPECT_EQ(Run(), L"Delete shoortcut directory failed.\n");
    EXPECT_TRUE(Entries(product).empty());
}

} // namespace
