// The removal on real folders and the real product key, with witnesses that must survive.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/product_registration.h"
#include "tests/removal/removal_fixture.h"

namespace {

const std::wstring kProductKey = std::wstring(kUninstallKeyPath) + L"\\" + kProductKeyName;

bool ProductKeyExists() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), 0, KEY_READ, &key) != 0)
        return false;
    RegCloseKey(key);
    return true;
}

void CreateProductKey(const std::wstring& sub = L"") {
    HKEY key;
    if (RegCreateKeyW(HKEY_LOCAL_MACHINE, (kProductKey + sub).c_str(), &key) == 0)
        RegCloseKey(key);
}

std::vector<std::wstring> Names(const fs::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

// One product as the installer leaves it, files outside it, and a witness that no run touches.
struct Installation {
    std::wstring name = Unique(L"Product");
    fs::path product = ProgramFiles() / name, group = Programs() / name;
    fs::path outside = ProgramFiles() / Unique(L"Outside");
    fs::path witness = ProgramFiles() / Unique(L"Witness");
    fs::path groupWitness = Programs() / Unique(L"Witness");
    RecorderPage page;

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
        for (const auto& folder : {product, group, outside, witness, groupWitness})
            RemoveTree(folder);
    }
    void Log(int count, const std::vector<fs::path>& files) {
        page.log.count = count;
        for (size_t i = 0; i < files.size(); ++i)
            files[i].wstring().copy(page.log.entries[i], kLogSlotLength - 1);
    }
    std::vector<std::wstring> Tail(const std::wstring& product, const std::wstring& group) {
        return {L"Remove folder " + ProgramFiles().wstring() + L"\\" + product + L"...",
                L"Remove folder " + Programs().wstring() + L"\\" + group + L"...",
                L"Unregistering uninstaller...",
                L"Done.",
                L"status Please click the next button.",
                L"enable"};
    }
};

TEST(Removal, RemovesAnInstallationInItsOrder) {
    Installation in;
    // Wine's folders ignore case, so the lower-case twin lives in a folder of its own.
    for (const wchar_t* file : {L"Uninstall.exe", L"MyUninstall.exe", L"Install.log",
                                L"Presets\\uninstall.exe", L"Presets\\Deep\\b.set"})
        Touch(in.product / file);
    Touch(in.group / L"Help.lnk");
    Touch(in.group / L"Tools\\Tool.lnk");
    const fs::path logged[] = {in.outside / L"a.ex4", in.outside / L"Sub"};
    Touch(logged[0]);
    Touch(logged[1] / L"kept.txt");
    in.Log(2, {logged[0], logged[1]});
    CreateProductKey(L"\\Sub");

    EXPECT_EQ(RunCapturing(in.page), "");
    std::vector<std::wstring> expected = {L"disable", L"clear"};
    for (const auto& file : logged)
        expected.insert(expected.end(), {L"Delete file " + file.wstring() + L"...", L"step"});
    for (const auto& line : in.Tail(in.name, in.name))
        expected.push_back(line);
    EXPECT_EQ(in.page.calls, expected);
    EXPECT_EQ(Names(in.product), (std::vector<std::wstring>{L"MyUninstall.exe", L"Uninstall.exe"}));
    EXPECT_FALSE(Exists(in.group) || Exists(logged[0]) || ProductKeyExists());
    EXPECT_TRUE(Exists(logged[1] / L"kept.txt")); // a logged folder is no file to delete

    // Again, with the key gone and nothing left to remove: the same end, and no surprises.
    in.page.calls.clear();
    in.Log(0, {});
    EXPECT_EQ(RunCapturing(in.page), "Delete shoortcut directory failed.\n");
    expected = {L"disable", L"clear"};
    for (const auto& line : in.Tail(in.name, in.name))
        expected.push_back(line);
    EXPECT_EQ(in.page.calls, expected);
}

TEST(Removal, ReportsWhatStaysAndGoesOn) {
    Installation in;
    Touch(in.product / L"Sub\\locked.txt");
    Touch(in.product / L"Sub2\\free.txt");
    SetFileAttributesW((in.product / L"Sub\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RunCapturing(in.page), "Delete file failed.\nDelete directory failed.\n"
                                     "Delete shoortcut directory failed.\n");
    EXPECT_EQ(Names(in.product), std::vector<std::wstring>{L"Sub"});
    EXPECT_TRUE(Exists(in.product / L"Sub\\locked.txt"));
}

TEST(Removal, TakesOnlyTheLoggedEntriesThatExist) {
    Installation in;
    std::vector<fs::path> files;
    for (int i = 0; i < 5; ++i)
        Touch(files.emplace_back(in.outside / std::to_wstring(i)));
    in.Log(3, files);
    RunCapturing(in.page);
    EXPECT_EQ(std::count(in.page.calls.begin(), in.page.calls.end(), L"step"), 3);
    EXPECT_FALSE(Exists(files[0]) || Exists(files[1]) || Exists(files[2]));
    EXPECT_TRUE(Exists(files[3]) && Exists(files[4]));

    for (const auto& [count, steps] : {std::pair{-1, 0}, {150, 100}}) {
        in.page.calls.clear();
        in.Log(count, {});
        RunCapturing(in.page);
        EXPECT_EQ(std::count(in.page.calls.begin(), in.page.calls.end(), L"step"), steps);
    }

    // A slot without a NUL: shown whole, and nothing deleted, not even its 259-character start.
    const std::wstring full = (in.outside / std::wstring(260, L'x')).wstring().substr(0, 260);
    Touch(full.substr(0, 259));
    in.page.calls.clear();
    in.Log(1, {});
    std::copy_n(full.begin(), 260, in.page.log.entries[0]);
    RunCapturing(in.page);
    EXPECT_EQ(in.page.calls[2], L"Delete file " + full + L"...");
    EXPECT_TRUE(Exists(full.substr(0, 259)));
}

TEST(Removal, WithoutRegistrationWorksOnTheExaFolders) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKey.c_str());
    RecorderPage page;
    const ProductRegistration registration = ReadProductRegistration(page.registry);
    page.productDir = registration.productDir;
    page.menuGroup = registration.menuGroup;
    Touch(ProgramFiles() / L"EXA\\file.txt");
    Touch(Programs() / L"EXA\\a.lnk");
    EXPECT_EQ(RunCapturing(page), "");
    EXPECT_EQ(page.calls[2], L"Remove folder " + ProgramFiles().wstring() + L"\\EXA...");
    EXPECT_FALSE(Exists(ProgramFiles() / L"EXA\\file.txt") || Exists(Programs() / L"EXA"));
    RemoveTree(ProgramFiles() / L"EXA");
}

TEST(RemovalSafety, FoldersOutsideTheirParentAreRefused) {
    const std::wstring parent = ProgramFiles().wstring();
    for (const wchar_t* name :
         {L"", L".", L"..", L"...", L". .", L"a\\..", L"..\\x", L"a/../b", L"a\\.. \\b", L"C:\\x",
          L"C:x", L"\\x", L"/x", L"\\\\srv\\share", L"a:b"})
        EXPECT_EQ(ResolveFolderBelow(parent, name), L"") << name;
    EXPECT_EQ(ResolveFolderBelow(parent, L"EXA"), parent + L"\\EXA");
    EXPECT_EQ(ResolveFolderBelow(parent, L"a/b\\"), parent + L"\\a\\b");
    EXPECT_EQ(ResolveFolderBelow(L"", L"EXA"), L"");

    // The engine skips such a folder, and nothing else: logged files and the key still go.
    Installation in;
    const std::string skipped = "Product folder skipped: not below the Program Files folder.\n"
                                "Shortcut group skipped: not below the Programs folder.\n";
    for (const auto& [product, group] :
         {std::pair<std::wstring, std::wstring>{L"", L""},
          {in.witness.wstring(), L"x\\..\\" + in.groupWitness.filename().wstring()}}) {
        Touch(in.outside / L"logged.txt");
        in.Log(1, {in.outside / L"logged.txt"});
        CreateProductKey();
        in.page.productDir = product;
        in.page.menuGroup = group;
        in.page.calls.clear();
        EXPECT_EQ(RunCapturing(in.page), skipped);
        EXPECT_EQ(std::vector(in.page.calls.end() - 6, in.page.calls.end()),
                  in.Tail(product, group));
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
    const std::string diagnostics = RunCapturing(in.page);
    EXPECT_TRUE(Exists(in.outside / L"Full\\keep.txt") && Exists(in.outside / L"Empty"));
    EXPECT_FALSE(Exists(in.product / L"Sub\\own.txt"));
    // Wine cannot delete a Unix link without touching its target, so there the links stay.
    for (const wchar_t* link : {L"ToFull", L"Sub\\ToEmpty"})
        EXPECT_TRUE(!Exists(in.product / link) ||
                    diagnostics.find("Delete directory failed.\n") != std::string::npos);

    // A product folder or group that is itself a link is not walked at all.
    RemoveTree(in.product);
    ASSERT_TRUE(MakeLink(in.product, in.outside / L"Full"));
    ASSERT_TRUE(MakeLink(in.group, in.outside / L"Full"));
    in.page.calls.clear();
    RunCapturing(in.page);
    EXPECT_TRUE(Exists(in.outside / L"Full\\keep.txt"));
}

TEST(RemovalSafety, LongPathsAreRemovedWhole) {
    Installation in;
    std::wstring deep = L"\\\\?\\" + in.product.wstring();
    CreateDirectoryW(deep.c_str(), nullptr);
    for (int i = 0; i < 12; ++i)
        CreateDirectoryW((deep += L"\\" + std::wstring(40, L'a' + i)).c_str(), nullptr);
    const std::wstring file = deep + L"\\deep.txt";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_GT(file.size(), 500u);
    ASSERT_TRUE(Exists(file));
    EXPECT_EQ(RunCapturing(in.page), "Delete shoortcut directory failed.\n");
    EXPECT_TRUE(Names(in.product).empty());
}

} // namespace
