// CNtRegistry on Wine's real ntdll and the prefix's real registry, witnessed with the ordinary
// registry API. The fixture is the registry's provider: it records lookups and message boxes and
// hides (null) or replaces chosen ntdll routines.
#include "ntregistry/nt_registry.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <map>
#include <sstream>

static const std::wstring kScratch = L"SOFTWARE\\CorvinaNtRegTest"; // one test program per prefix
static int g_refusedCall; // which call of NtDeleteKey is refused, counting from 1

static void PutText(std::wstring key, const wchar_t* name, std::wstring text, DWORD type = REG_SZ) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, type, text.c_str(), text.size() * 2 + 2);
}

// NTAPI is stdcall on x86: a replacement that is not leaves its caller's stack unbalanced.
static NTSTATUS NTAPI RefusingDeleteKey(HANDLE key) {
    static const auto real = reinterpret_cast<NtKeyFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    return --g_refusedCall == 0 ? LONG(0xC0000022) : real(key);
}
static NTSTATUS NTAPI RefusingTokenQuery(HANDLE, TOKEN_INFORMATION_CLASS, PVOID, ULONG, PULONG) {
    return ERROR_INSUFFICIENT_BUFFER; // a status with a text in Wine's system messages
}

struct NtRegistry : testing::Test, NtdllEntryPointProvider {
    NtRegistry() { registry.SelectMachineRoot(); }
    ~NtRegistry() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kScratch.c_str()); }
    FARPROC FindEntryPoint(HMODULE module, const char* name) override {
        lookups.push_back(name);
        return replaced.count(name) ? FARPROC(replaced[name]) : GetProcAddress(module, name);
    }
    void ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) override {
        messages += std::wstring(caption) + L"|" + std::to_wstring(type) + L"|" + text;
    }

    std::map<std::string, void (*)()> replaced{{"NtDeleteKey", (void (*)())RefusingDeleteKey}};
    std::vector<std::string> lookups;
    std::wstring messages, out;
    CNtRegistry registry{*this};
};

// The ntdll routines the binding looks up: those it needs, of the string routines only
// RtlInitUnicodeString, and those it can do without; each with whether it is needed.
std::vector<std::pair<std::string, bool>> BoundRoutines() {
    const char needed[] =
        "NtOpenThread NtCreateKey NtOpenKey NtFlushKey NtDeleteKey NtQueryKey NtEnumerateKey "
        "NtClose NtSetValueKey NtSetInformationKey NtQueryValueKey NtEnumerateValueKey "
        "NtDeleteValueKey NtRenameKey NtQueryMultipleValueKey NtNotifyChangeKey NtCreateFile "
        "NtOpenProcessToken NtAdjustPrivilegesToken NtQueryInformationToken RtlAllocateHeap "
        "RtlFreeHeap NtRestoreKey NtSaveKey NtLoadKey NtLoadKey2 NtReplaceKey NtUnloadKey "
        "RtlInitUnicodeString";
    const char spared[] = "RtlInitString RtlInitAnsiString RtlAnsiStringToUnicodeString "
                          "RtlUnicodeStringToAnsiString RtlFreeString RtlFreeAnsiString "
                          "RtlFreeUnicodeString";
    std::vector<std::pair<std::string, bool>> routines;
    for (const auto& [list, required] : {std::pair{needed, true}, {spared, false}}) {
        std::istringstream names(list);
        for (std::string name; names >> name;)
            routines.push_back({name, required});
    }
    return routines;
}

TEST_F(NtRegistry, MissingEntryPointIsToldAndNeverCalled) {
    for (const auto& [name, required] : BoundRoutines()) {
        SCOPED_TRACE(name);
        // Users quote the one message for NtSetValueKey with a capital T.
        const std::string told = name == "NtSetValueKey" ? "NTSetValueKey" : name;
        const std::wstring message = L"CNtRegistry::ClearKeys()|16|Could not find " +
                                     std::wstring(told.begin(), told.end()) +
                                     L" entry point in NTDLL.DLL";
        replaced = {{name, nullptr}};
        CNtRegistry registry(*this);
        registry.SelectMachineRoot();
        EXPECT_EQ(std::exchange(messages, L""), required ? message : L"");
        PutText(kScratch, L"Name", L"text");
        EXPECT_EQ(registry.OpenKey(kScratch, 1, 1), !required);
        EXPECT_EQ(registry.ReadString(out, L"Name", L"dflt"), required ? L"dflt" : L"text");
        EXPECT_EQ(registry.DeleteKeyTree(kScratch), !required);
        EXPECT_EQ(registry.Status(), required ? kStatusEntryPointNotFound : kStatusSuccess);
    }
}

TEST_F(NtRegistry, UserSidIsTheTokenUsersOrErrorWithTheStatusTold) {
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    // HANDLE(-4) is GetCurrentProcessToken(): a pseudo handle, never closed.
    GetTokenInformation(HANDLE(-4), TokenUser, user, sizeof(user), &size);
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    EXPECT_EQ(registry.UserSid(), sid);
    LocalFree(sid);

    replaced = {{"NtQueryInformationToken", (void (*)())RefusingTokenQuery}};
    EXPECT_EQ(CNtRegistry(*this).UserSid(), L"Error");
    EXPECT_EQ(messages,
              L"CNtRegistry: Message...|16|Error( 122 [0x      7AL] ) - Insufficient buffer.");
}

TEST_F(NtRegistry, OpenKeyTakesEveryPathFormAndReadStringDecodesUtf16) {
    // Each form names kScratch\x; a key not opened, or opened without makeCurrent, is not current.
    for (auto [path, create, makeCurrent, result] :
         {std::tuple{kScratch, 1, 1, 1},
          {L"\\" + kScratch + L"\\x", 1, 0, 1},
          {kScratch + L"\\x\\", 0, 0, 1},
          {L"\\REGISTRY\\machine\\" + kScratch + L"\\x", 0, 0, 1},
          {kScratch + L"\\none\\x", 1, 1, 0}})
        EXPECT_EQ(registry.OpenKey(path, create, makeCurrent), result) << path;

    PutText(kScratch, L"Number", L"\x7", REG_DWORD); // the DWORD 7
    // REG_NONE rows store nothing; "(Default)" reads what the "" row stored.
    for (auto [name, type, text] :
         {std::tuple{L"Folder", REG_EXPAND_SZ, std::wstring(L"%SystemRoot%\\x")},
          {L"Foreign", REG_SZ, L"\u041a\u043e\u0440\u0432\u0438\u043d\u0430 \u65e5\u672c"},
          {L"Long", REG_SZ, std::wstring(3000, L'x')},
          {L"", REG_SZ, L"default text"},
          {L"(Default)", REG_NONE, L"default text"},
          {L"Number", REG_NONE, L"dflt"},
          {L"Missing", REG_NONE, L"dflt"}}) {
        if (type != REG_NONE)
            PutText(kScratch, name, text, type);
        registry.ReadString(out, name, L"dflt");
        EXPECT_EQ(out, text) << name;
    }
}

TEST_F(NtRegistry, DeleteKeyTreeRemovesWholeTreesAndStopsAtARefusedKey) {
    const std::wstring key = kScratch + L"\\key", longest(255, L'n'); // the longest name allowed
    const std::wstring tree[] = {L"", L"\\a", L"\\b", L"\\b\\c", L"\\d", L"\\d\\" + longest};
    // Leaves go first: a, c, b. A refused b stops the walk before d, and key cannot go while b
    // is left. Each digit tells whether that key of the tree is left.
    for (auto [path, refusedCall, result, left] :
         {std::tuple{key, 0, 1, L"000000"},
          {key + L"\\", 0, 1, L"000000"},
          {L"\\REGISTRY\\machine\\" + key, 0, 1, L"000000"},
          {key, 3, 0, L"101011"},
          {key + L"\\missing", 0, 0, L"111111"}}) {
        for (const std::wstring& sub : tree)
            PutText(key + sub, L"Value", L"text");
        g_refusedCall = refusedCall;
        EXPECT_EQ(registry.DeleteKeyTree(path), result) << path;
        std::wstring present;
        for (const std::wstring& sub : tree)
            present += RegGetValueW(HKEY_LOCAL_MACHINE, (key + sub).c_str(), L"Value", RRF_RT_ANY,
                                    nullptr, nullptr, nullptr) == 0
                           ? L'1'
                           : L'0';
        EXPECT_EQ(present, left) << path;
    }
}

TEST_F(NtRegistry, DeleteKeyTreeDeletesALinkKeyAsALink) {
    const std::wstring target = kScratch + L"\\target", link = kScratch + L"\\key\\link";
    PutText(target + L"\\sub", L"Value", L"text");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    // The system resolves the link's text as written: a 32-bit process under WOW64 names the
    // view it was redirected to itself.
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::wstring native = L"\\Registry\\Machine\\SOFTWARE\\" +
                                std::wstring(wow64 ? L"WOW6432Node\\" : L"") + target.substr(9);
    RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                   reinterpret_cast<const BYTE*>(native.c_str()), native.size() * 2);
    RegCloseKey(key);
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, (link + L"\\sub").c_str(), L"Value", RRF_RT_ANY,
                           nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(registry.DeleteKeyTree(kScratch + L"\\key"), 1);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, (target + L"\\sub").c_str(), L"Value", RRF_RT_ANY,
                           nullptr, nullptr, nullptr),
              0);
}

TEST_F(NtRegistry, DeleteKeyTreeTakesEachNameWhole) {
    // Read up to its NUL, the subkey "a\0b" would name its sibling "a".
    const auto create = reinterpret_cast<NtCreateKeyFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtCreateKey")));
    const std::wstring key = kScratch + L"\\key";
    PutText(key + L"\\a", L"Value", L"text");
    std::wstring path = L"\\Registry\\Machine\\" + key + L"\\a" + std::wstring(1, L'\0') + L"b";
    UNICODE_STRING name{USHORT(path.size() * 2), USHORT(path.size() * 2), path.data()};
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.ObjectName = &name;
    HANDLE created = nullptr;
    ASSERT_EQ(create(&created, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr), 0);
    CloseHandle(created);
    EXPECT_EQ(registry.DeleteKeyTree(key), 1);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_ANY, nullptr, nullptr,
                           nullptr),
              2);
}
