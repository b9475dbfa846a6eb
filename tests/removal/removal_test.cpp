// Install.log, the removal and its safety on real folders and the real product key of the
// test prefix, each run beside witnesses that must survive it.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

#include "app/product_registration.h"
#include "removal/removal_engine.h"
#include "tests/test_support.h"
#include "tools/install_log_writer.h"

namespace {

using namespace test;
using Strings = std::vector<std::wstring>;

const fs::path kFiles = kInstallerFiles;
const fs::path kPrograms = kCommonPrograms;

// Wine shows a Unix link to a folder as a directory with a reparse point (0x410).
bool MakeLink(const fs::path& link, const fs::path& target) {
    Host(L"ln -s " + Unix(target) + L" " + Unix(link));
    return GetFileAttributesW(link.c_str()) == 0x410;
}

struct Page : RemovalProgress {
    Strings calls;
    InstallLogRecord log = {};
    std::wstring productDir, menuGroup;
    CNtRegistry registry;
    void EnableNext(bool enable) override { calls.push_back(enable ? L"enable" : L"disable"); }
    void ClearList() override { calls.push_back(L"clear"); }
    void AddLine(const std::wstring& line) override { calls.push_back(line); }
    void StepProgress() override { calls.push_back(L"step"); }
    void SetStatusText(const std::wstring& text) override { calls.push_back(L"status " + text); }
};

// A product as the installer leaves it, a folder of files outside it, and witnesses.
struct Installation {
    std::wstring name = L"Corvina Product " + kPid;
    fs::path product = kFiles / name, group = kPrograms / name;
    fs::path outside = kFiles / (L"Corvina Outside " + kPid);
    fs::path witness = kFiles / (L"Corvina Witness " + kPid);
    fs::path groupWitness = kPrograms / witness.filename();
    Page page;

    Installation() {
        Clean();
        Touch(witness / L"keep.txt");
        Touch(groupWitness / L"keep.lnk");
        page.productDir = page.menuGroup = name;
    }
    ~Installation() {
        EXPECT_TRUE(Exists(witness / L"keep.txt") && Exists(groupWitness / L"keep.lnk"));
        Clean();
    }
    void Clean() {
        for (const auto& folder :
             {product, group, outside, witness, groupWitness, kFiles / L"EXA", kPrograms / L"EXA"})
            RemoveTree(folder);
    }
    // Writes the log into the product folder, reads it as the page does and runs the removal;
    // the result is what the run wrote to its diagnostics stream.
    std::string Run(const InstallLogImage& image = {}) {
        fs::create_directories(product);
        WriteInstallLogImage((product / L"Install.log").wstring(), image);
        ReadInstallLog(page.log, name);
        page.calls.clear();
        FILE* out = _wfopen((outside.wstring() + L".out").c_str(), L"w+b");
        RunRemoval({page.log, page.productDir, page.menuGroup, page.registry}, page, out);
        std::string text(4096, '\0');
        rewind(out);
        text.resize(fread(text.data(), 1, text.size(), out));
        fclose(out);
        DeleteFileW((outside.wstring() + L".out").c_str());
        return text;
    }
    Strings Ending() const {
        return {L"Remove folder " + kFiles.wstring() + L"\\" + page.productDir + L"...",
                L"Remove folder " + kPrograms.wstring() + L"\\" + page.menuGroup + L"...",
                L"Unregistering uninstaller...",
                L"Done.",
                L"status Please click the next button.",
                L"enable"};
    }
    size_t Steps() const { return std::count(page.calls.begin(), page.calls.end(), L"step"); }
};

TEST(Removal, RemovesAnInstallationInItsOrder) {
    Installation in;
    // Wine's folders ignore case, so the lower-case twin lives in a folder of its own.
    for (const wchar_t* file :
         {L"Uninstall.exe", L"MyUninstall.exe", L"Presets\\uninstall.exe", L"Presets\\D\\b.set"})
        Touch(in.product / file);
    Touch(in.group / L"Help.lnk");
    Touch(in.group / L"Tools\\Tool.lnk");
    const fs::path logged[] = {in.outside / L"a.ex4", in.outside / L"Folder"};
    Touch(logged[0]);
    Touch(logged[1] / L"kept.txt");
    CreateKey(kProductKey);

    EXPECT_EQ(in.Run({2, {logged[0].wstring(), logged[1].wstring()}}), "");
    Strings expected = {L"disable", L"clear"};
    for (const auto& file : logged)
        expected.insert(expected.end(), {L"Delete file " + file.wstring() + L"...", L"step"});
    for (const auto& line : in.Ending())
        expected.push_back(line);
    EXPECT_EQ(in.page.calls, expected);
    EXPECT_EQ(Entries(in.product), (Strings{L"MyUninstall.exe", L"Uninstall.exe"}));
    EXPECT_FALSE(Exists(in.group) || Exists(logged[0]) || ProductKeyExists());
    EXPECT_TRUE(Exists(logged[1] / L"kept.txt")); // a logged folder is no file

    // The key is gone now, so the registration's defaults lead to the "EXA" folders.
    const ProductRegistration registration = ReadProductRegistration(in.page.registry);
    in.page.productDir = registration.productDir;
    in.page.menuGroup = registration.menuGroup;
    Touch(kFiles / L"EXA\\file.txt");
    Touch(kPrograms / L"EXA\\a.lnk");
    EXPECT_EQ(in.Run(), "");
    expected = {L"disable", L"clear"};
    for (const auto& line : in.Ending())
        expected.push_back(line);
    EXPECT_EQ(in.page.calls, expected);
    EXPECT_EQ(expected[2], L"Remove folder " + kFiles.wstring() + L"\\EXA...");
    EXPECT_FALSE(Exists(kFiles / L"EXA\\file.txt") || Exists(kPrograms / L"EXA"));
}

TEST(Removal, ReportsWhatStaysAndGoesOn) {
    Installation in;
    Touch(in.product / L"Sub\\locked.txt");
    Touch(in.product / L"Sub2\\free.txt");
    SetFileAttributesW((in.product / L"Sub\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(in.Run(), "Delete file failed.\nDelete directory failed.\n"
                        "Delete shoortcut directory failed.\n");
    EXPECT_EQ(Entries(in.product), Strings{L"Sub"});
    EXPECT_EQ(Strings(in.page.calls.end() - 6, in.page.calls.end()), in.Ending());
}

TEST(Removal, HandlesTheLoggedEntriesOnly) {
    Installation in;
    Strings files;
    for (int i = 0; i < 5; ++i)
        Touch(files.emplace_back((in.outside / std::to_wstring(i)).wstring()));
    in.Run({3, files});
    EXPECT_EQ(in.Steps(), 3u);
    EXPECT_FALSE(Exists(files[0]) || Exists(files[1]) || Exists(files[2]));
    EXPECT_TRUE(Exists(files[3]) && Exists(files[4]));
    in.Run({-1, files});
    EXPECT_EQ(in.Steps(), 0u);
    in.Run({150, files});
    EXPECT_EQ(in.Steps(), 100u);
    in.Run({3, {L"C:\\a", L"C:\\second"}, 4 + 520 + 10}); // cut after "C:\se" of slot 1
    EXPECT_EQ(Strings(in.page.calls.begin() + 2, in.page.calls.begin() + 8),
              (Strings{L"Delete file C:\\a...", L"step", L"Delete file C:\\se...", L"step",
                       L"Delete file ...", L"step"}));
    in.Run({1, {L"C:\\only"}, 60000});
    EXPECT_EQ(in.Steps(), 1u); // the bytes past the record are not read

    // A slot without a NUL: shown whole, and not even its first 259 characters are deleted.
    const std::wstring slot = (in.outside / std::wstring(260, L'x')).wstring().substr(0, 260);
    Touch(slot.substr(0, 259));
    in.Run({1, {slot}});
    EXPECT_EQ(in.page.calls[2], L"Delete file " + slot + L"...");
    EXPECT_TRUE(Exists(slot.substr(0, 259)));

    InstallLogRecord log;
    std::memset(&log, 0x55, sizeof log); // what the page's memory may hold before the read
    ReadInstallLog(log, in.name + L" missing");
    EXPECT_EQ(log.count, 0);
}

TEST(RemovalSafety, FoldersOutsideTheirParentAreRefused) {
    const std::wstring parent = kFiles.wstring();
    for (const wchar_t* name : {L"", L".", L"..", L"...", L". .", L"a\\..", L"..\\x", L"a/../b",
                                L"a\\.. \\b", L"C:\\x", L"C:x", L"\\x", L"/x", L"\\\\srv\\share"})
        EXPECT_EQ(ResolveFolderBelow(parent, name), L"") << name;
    EXPECT_EQ(ResolveFolderBelow(parent, L"EXA"), parent + L"\\EXA");
    EXPECT_EQ(ResolveFolderBelow(parent, L"a/b\\"), parent + L"\\a\\b");

    // The engine skips such a folder, and nothing else: logged files and the key still go.
    Installation in;
    for (const auto& [product, group] :
         {std::pair<std::wstring, std::wstring>{L"", L""},
          {in.witness.wstring(), L"x\\..\\" + in.witness.filename().wstring()}}) {
        Touch(in.outside / L"logged.txt");
        CreateKey(kProductKey);
        in.page.productDir = product;
        in.page.menuGroup = group;
        EXPECT_EQ(in.Run({1, {(in.outside / L"logged.txt").wstring()}}),
                  "Product folder skipped: not below the Program Files folder.\n"
                  "Shortcut group skipped: not below the Programs folder.\n");
        EXPECT_EQ(Strings(in.page.calls.end() - 6, in.page.calls.end()), in.Ending());
        EXPECT_FALSE(Exists(in.outside / L"logged.txt") || ProductKeyExists());
    }
}

TEST(RemovalSafety, LinksAreNeverFollowed) {
    Installation in;
    Touch(in.product / L"Sub\\own.txt");
    Touch(in.outside / L"Full\\keep.txt");
    fs::create_directories(in.outside / L"Empty");
    ASSERT_TRUE(MakeLink(in.product / L"ToFull", in.outside / L"Full"));
    ASSERT_TRUE(MakeLink(in.product / L"Sub\\ToEmpty", in.outside / L"Empty"));
    const std::string diagnostics = in.Run();
    EXPECT_TRUE(Exists(in.outside / L"Full\\keep.txt") && Exists(in.outside / L"Empty"));
    EXPECT_FALSE(Exists(in.product / L"Sub\\own.txt"));
    // Wine cannot delete a Unix link without touching its target, so there the links stay.
    EXPECT_TRUE(!Exists(in.product / L"ToFull") ||
                diagnostics.find("Delete directory failed.\n") != std::string::npos);

    // A product folder or group that is itself a link is not walked at all.
    RemoveTree(in.product);
    ASSERT_TRUE(MakeLink(in.product, in.outside / L"Full"));
    ASSERT_TRUE(MakeLink(in.group, in.outside / L"Full"));
    in.Run();
    EXPECT_TRUE(Exists(in.outside / L"Full\\keep.txt"));
}

TEST(RemovalSafety, LongPathsAreRemovedWhole) {
    Installation in;
    std::wstring deep = L"\\\\?\\" + in.product.wstring();
    CreateDirectoryW(deep.c_str(), nullptr);
    for (wchar_t letter = L'a'; letter < L'm'; ++letter)
        CreateDirectoryW((deep += L"\\" + std::wstring(40, letter)).c_str(), nullptr);
    CloseHandle(CreateFileW((deep += L"\\deep.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            0, nullptr));
    ASSERT_TRUE(deep.size() > 500 && Exists(deep));
    EXPECT_EQ(in.Run(), "Delete shoortcut directory failed.\n");
    EXPECT_TRUE(Entries(in.product).empty());
}

} // namespace
