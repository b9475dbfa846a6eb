// CNtRegistry on Wine's real ntdll and the prefix's real registry, witnessed with the ordinary
// registry API. The fixture is the registry's provider: it records lookups and message boxes and
// hides (null) or wraps chosen ntdll routines.
#include <windows.h>
#include <gtest/gtest.h>

#include "ntregistry/nt_registry.h"

namespace {

constexpr ULONG kAccessDenied = 0xC0000022;
const std::wstring kMachine = L"\\Registry\\Machine";
const std::wstring kScratch = L"SOFTWARE\\CorvinaNtRegTest"; // one test program per prefix
using Entry = void (*)();

template <typename F> F RealNt(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

void PutText(const std::wstring& key, const wchar_t* name, std::wstring text, DWORD type = REG_SZ) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, type, text.c_str(),
                    DWORD(text.size() * 2 + 2));
}

// The names NtDeleteKey was given, and the one it refuses.
std::wstring g_deleted, g_refused;
NTSTATUS NTAPI RecordingDeleteKey(HANDLE key) {
    alignas(NtKeyBasicInformation) BYTE buffer[1024];
    ULONG length = 0;
    RealNt<NtQueryKeyFn>("NtQueryKey")(key, kKeyBasicInformation, buffer, sizeof(buffer), &length);
    const auto* info = reinterpret_cast<NtKeyBasicInformation*>(buffer);
    const std::wstring name(info->Name, info->NameLength / 2);
    g_deleted += name + L" ";
    return name == g_refused ? LONG(kAccessDenied) : RealNt<NtKeyFn>("NtDeleteKey")(key);
}

struct NtRegistry : testing::Test, NtdllEntryPointProvider {
    NtRegistry() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kScratch.c_str()); // left by a crashed run
        registry.SelectMachineRoot();
    }
    ~NtRegistry() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kScratch.c_str()); }
    FARPROC FindEntryPoint(HMODULE module, const char* name) override {
        lookups += std::string(name) + " ";
        return replaced.count(name) ? reinterpret_cast<FARPROC>(replaced[name])
                                    : GetProcAddress(module, name);
    }
    void ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) override {
        messages += std::wstring(caption) + L"|" + std::to_wstring(type) + L"|" + text;
    }

    std::map<std::string, Entry> replaced{{"NtDeleteKey", Entry(RecordingDeleteKey)}};
    std::string lookups;
    std::wstring messages, out;
    CNtRegistry registry{*this};
};

} // namespace

TEST_F(NtRegistry, BindingSidTextAndErrorText) {
    EXPECT_EQ(lookups,
              "NtOpenThread NtCreateKey NtOpenKey NtFlushKey NtDeleteKey NtQueryKey NtEnumerateKey "
              "NtClose NtSetValueKey NtSetInformationKey NtQueryValueKey NtEnumerateValueKey "
              "NtDeleteValueKey NtRenameKey NtQueryMultipleValueKey NtNotifyChangeKey NtCreateFile "
              "NtOpenProcessToken NtAdjustPrivilegesToken NtQueryInformationToken RtlAllocateHeap "
              "RtlFreeHeap NtRestoreKey NtSaveKey NtLoadKey NtLoadKey2 NtReplaceKey NtUnloadKey "
              "RtlInitString RtlInitAnsiString RtlInitUnicodeString RtlAnsiStringToUnicodeString "
              "RtlUnicodeStringToAnsiString RtlFreeString RtlFreeAnsiString RtlFreeUnicodeString ");
    const std::wstring user = L"\\Registry\\User\\" + registry.UserSid();
    EXPECT_TRUE(user.starts_with(L"\\Registry\\User\\S-1-5-"));
    auto missing = [](std::wstring name) {
        return L"CNtRegistry::ClearKeys()|16|Could not find " + name + L" entry point in NTDLL.DLL";
    };
    // NTAPI is stdcall on x86: the lambda must say so, or the caller's stack is left unbalanced.
    const Entry refuseQuery = Entry(+[](HANDLE, TOKEN_INFORMATION_CLASS, PVOID, ULONG, PULONG)
                                        __attribute__((stdcall)) { return LONG(kAccessDenied); });
    // Both names are hidden: only the first missing one is told, and a missing string routine
    // other than RtlInitUnicodeString is no failure.
    for (auto [name, entry, later, message, root] :
         {std::tuple{"RtlFreeString", Entry(), "RtlFreeAnsiString", std::wstring(), user},
          {"NtRenameKey", nullptr, "NtUnloadKey", missing(L"NtRenameKey"), kMachine},
          {"NtSetValueKey", nullptr, "NtRenameKey", missing(L"NTSetValueKey"), kMachine},
          {"NtQueryInformationToken", refuseQuery, "",
           L"CNtRegistry: Message...|16|" + registry.FormatNtError(kAccessDenied),
           L"\\Registry\\User\\Error"},
          {"RtlInitUnicodeString", nullptr, "", missing(L"RtlInitUnicodeString"), user}}) {
        replaced = {{name, entry}, {later, nullptr}};
        EXPECT_EQ(CNtRegistry(*this).RootPath(), root) << name;
        EXPECT_EQ(std::exchange(messages, L""), message) << name;
    }
    // Still without RtlInitUnicodeString.
    EXPECT_EQ(registry.BindNtEntryPoints(out), 0);
    EXPECT_EQ(registry.OpenKey(L"SOFTWARE", 1, 1), 0);
    EXPECT_EQ(registry.Status(), kStatusEntryPointNotFound);
    EXPECT_EQ(registry.ReadString(out, L"", L"dflt"), L"dflt");
    EXPECT_EQ(registry.DeleteKeyTree(L"SOFTWARE\\NoSuchKeyHere"), 0);

    const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    for (auto [authority, subs, expected] :
         {std::tuple{nt, std::vector<DWORD>{}, L"S-1-5"},
          {nt, {21, 1000}, L"S-1-5-21-1000"},
          {{{0, 0, 0x12, 0x34, 0x56, 0x78}}, {4294967295u}, L"S-1-305419896-4294967295"},
          {{{1, 0, 0, 0, 0, 0}}, {7}, L"S-1-0x010000000000-7"},
          {nt, {1, 2, 3, 4, 5, 6, 7, 8, 9}, L"136 122"}}) { // refused: the size needed, the error
        BYTE sid[SECURITY_MAX_SID_SIZE];
        InitializeSid(sid, &authority, BYTE(subs.size()));
        std::copy(subs.begin(), subs.end(), GetSidSubAuthority(sid, 0));
        wchar_t text[128];
        DWORD capacity = 128;
        const BOOL done = registry.SidToText(sid, text, capacity);
        EXPECT_EQ(done ? text : std::to_wstring(capacity) + L" " + std::to_wstring(GetLastError()),
                  expected);
    }
    // Wine's ntdll carries no status texts, so here 0xC0000034 shows only its head.
    EXPECT_TRUE(
        registry.FormatNtError(0xC0000034).starts_with(L"Error( 3221225524 [0xC0000034L] ) - "));
    EXPECT_EQ(registry.FormatNtError(122), L"Error( 122 [0x      7AL] ) - Insufficient buffer.");
    EXPECT_EQ(registry.FormatNtError(0x2FFFFFFF),
              L"Error( 805306367 [0x2FFFFFFFL] ) - No NT Error Data was returned??");
}

TEST_F(NtRegistry, NativePathsOpenKeyAndReadString) {
    for (auto [path, native] : {std::pair{L"SOFTWARE\\X", kMachine + L"\\SOFTWARE\\X"},
                                {L"\\SOFTWARE\\X", kMachine + L"\\SOFTWARE\\X"},
                                {L"SOFTWARE\\X\\", kMachine + L"\\SOFTWARE\\X"},
                                {L"SOFTWARE\\X\\\\", kMachine + L"\\SOFTWARE\\X\\"},
                                {L"", kMachine},
                                {L"registry\\machine\\A", kMachine + L"\\registry\\machine\\A"},
                                {L"\\REGISTRY\\MACHINE\\A\\", L"\\REGISTRY\\MACHINE\\A\\"}})
        EXPECT_EQ(registry.BuildNativePath(path), native) << path;

    for (auto [path, create, makeCurrent, result, after] :
         {std::tuple{kScratch, 0, 1, 0, kMachine},
          {kScratch, 1, 0, 1, kMachine},
          {kScratch, 0, 1, 1, kMachine + L"\\" + kScratch},
          {kScratch + L"\\none\\child", 1, 1, 0, kMachine + L"\\" + kScratch}}) {
        EXPECT_EQ(registry.OpenKey(path, create, makeCurrent), result) << path;
        EXPECT_EQ(registry.CurrentPath(), after);
    }

    PutText(kScratch, L"Number", L"\x7", REG_DWORD); // four bytes: the DWORD 7
    // REG_NONE rows store nothing; "(Default)" reads what the "" row stored.
    for (auto [name, type, text] :
         {std::tuple{L"Name", REG_SZ, L"Corvina Pro"},
          {L"Empty", REG_SZ, L""},
          {L"Folder", REG_EXPAND_SZ, L"%SystemRoot%\\x"},
          {L"Foreign", REG_SZ, L"\u041a\u043e\u0440\u0432\u0438\u043d\u0430 \u65e5\u672c"},
          {L"", REG_SZ, L"default text"},
          {L"(Default)", REG_NONE, L"default text"},
          {L"Number", REG_NONE, L"dflt"},
          {L"Missing", REG_NONE, L"dflt"}}) {
        if (type != REG_NONE)
            PutText(kScratch, name, text, type);
        EXPECT_EQ(registry.ReadString(out, name, L"dflt"), text) << name;
    }
}

TEST_F(NtRegistry, NulTerminatedTwinAndDeleteKeyTree) {
    const std::wstring twin = kScratch + L"\\twin", key = kScratch + L"\\key";
    PutText(twin, L"Name", L"plain");
    std::wstring native = kMachine + L"\\" + twin + L'\0'; // the NUL is part of the twin's name
    UNICODE_STRING name{USHORT(native.size() * 2), USHORT(native.size() * 2), native.data()};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, 0, nullptr, nullptr);
    HANDLE handle = nullptr;
    RealNt<NtCreateKeyFn>("NtCreateKey")(&handle, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0,
                                         nullptr);
    RegSetValueExW(HKEY(handle), L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"nul"), 8);
    RegCloseKey(HKEY(handle));
    ASSERT_EQ(registry.OpenKey(twin, 0, 1), 1);
    EXPECT_EQ(registry.KeyName().Length, registry.CurrentPath().size() * 2 + 2);
    EXPECT_EQ(registry.ReadString(out, L"Name", L"dflt"), L"nul");

    // The twin goes, not its plain namesake. A refused b stops the walk before d, and key cannot
    // go while b is left.
    for (auto [path, refused, result, deleted] :
         {std::tuple{twin, L"", 1, std::wstring(L"twin\0 ", 6)},
          {key, L"", 1, L"a c b d key "},
          {key + L"\\", L"", 1, L"a c b d key "},
          {L"\\REGISTRY\\machine\\" + key, L"", 1, L"a c b d key "},
          {key, L"b", 0, L"a c b key "},
          {kScratch + L"\\missing", L"", 0, L""}}) {
        for (const wchar_t* sub : {L"\\a", L"\\b\\c", L"\\d"})
            PutText(key + sub, L"", L"");
        g_refused = refused;
        EXPECT_EQ(registry.DeleteKeyTree(path), result) << path;
        EXPECT_EQ(std::exchange(g_deleted, L""), deleted) << path;
    }

    // A second Initialize keeps nothing of the twin or the machine root.
    registry.Initialize();
    const CNtRegistry fresh(*this);
    EXPECT_EQ(std::tuple(registry.TrailingNul(), registry.CurrentPath(), registry.KeyName().Length),
              std::tuple(fresh.TrailingNul(), fresh.CurrentPath(), fresh.KeyName().Length));
}
