#include <windows.h>
#include <gtest/gtest.h>
#include <array>
#include <tuple>

#include "tests/ntregistry/registry_fixture.h"

namespace {

constexpr ULONG kAccessDenied = 0xC0000022;

std::vector<BYTE> MakeSid(std::array<BYTE, 6> authority, const std::vector<DWORD>& subs) {
    std::vector<BYTE> sid{1, BYTE(subs.size())};
    sid.insert(sid.end(), authority.begin(), authority.end());
    for (DWORD sub : subs)
        sid.insert(sid.end(), reinterpret_cast<BYTE*>(&sub), reinterpret_cast<BYTE*>(&sub + 1));
    return sid;
}

NTSTATUS NTAPI RefusingOpenProcessToken(HANDLE, ACCESS_MASK, PHANDLE) {
    return kAccessDenied;
}

// A user SID with nine sub-authorities: too long for a 128-character text.
NTSTATUS NTAPI NineSubAuthorityToken(HANDLE, TOKEN_INFORMATION_CLASS, PVOID info, ULONG length,
                                     PULONG needed) {
    static const std::vector<BYTE> sid = MakeSid({0, 0, 0, 0, 0, 5}, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    *needed = sizeof(TOKEN_USER) + ULONG(sid.size());
    if (length < *needed)
        return LONG(kStatusBufferTooSmall);
    auto* user = static_cast<TOKEN_USER*>(info);
    user->User.Sid = memcpy(user + 1, sid.data(), sid.size());
    return 0;
}

bool g_failAllocations = false;
PVOID NTAPI FailableAllocateHeap(PVOID heap, ULONG flags, SIZE_T size) {
    return g_failAllocations ? nullptr : HeapAlloc(heap, flags, size);
}

// Records each deleted key's lower-case name and refuses the one ending in g_refused.
std::vector<std::wstring> g_deleted;
std::wstring g_refused = L"\n";
NTSTATUS NTAPI RecordingDeleteKey(HANDLE key) {
    BYTE buffer[2048];
    ULONG length = 0;
    RealNt<NtQueryKeyFn>("NtQueryKey")(key, kKeyNameInformation, buffer, sizeof(buffer), &length);
    const auto* info = reinterpret_cast<NtKeyNameInformation*>(buffer);
    std::wstring name(info->Name, info->NameLength / 2);
    CharLowerW(name.data());
    g_deleted.push_back(name);
    return name.ends_with(g_refused) ? LONG(kAccessDenied) : RealNt<NtKeyFn>("NtDeleteKey")(key);
}

} // namespace

TEST(NtRegistryBinding, OrderFirstMissingNameAndOptionalStringRoutines) {
    TestProvider provider;
    provider.hidden = {"RtlFreeString", "RtlFreeAnsiString"};
    CNtRegistry registry(provider);
    EXPECT_TRUE(provider.messages.empty());
    std::string order;
    for (const std::string& name : provider.lookups)
        order += name + " ";
    EXPECT_EQ(order, "NtOpenThread NtCreateKey NtOpenKey NtFlushKey NtDeleteKey NtQueryKey "
                     "NtEnumerateKey NtClose NtSetValueKey NtSetInformationKey NtQueryValueKey "
                     "NtEnumerateValueKey NtDeleteValueKey NtRenameKey NtQueryMultipleValueKey "
                     "NtNotifyChangeKey NtCreateFile NtOpenProcessToken NtAdjustPrivilegesToken "
                     "NtQueryInformationToken RtlAllocateHeap RtlFreeHeap NtRestoreKey NtSaveKey "
                     "NtLoadKey NtLoadKey2 NtReplaceKey NtUnloadKey RtlInitString "
                     "RtlInitAnsiString RtlInitUnicodeString RtlAnsiStringToUnicodeString "
                     "RtlUnicodeStringToAnsiString RtlFreeString RtlFreeAnsiString "
                     "RtlFreeUnicodeString ");

    std::wstring error;
    // Each with a later name missing too: only the first missing one is reported.
    const std::vector<std::tuple<const char*, const char*, const wchar_t*>> cases = {
        {"NtRenameKey", "NtUnloadKey", L"NtRenameKey"},
        {"NtSetValueKey", "NtRenameKey", L"NTSetValueKey"},
        {"RtlInitUnicodeString", "RtlFreeString", L"RtlInitUnicodeString"}};
    for (auto [hidden, later, named] : cases) {
        provider.hidden = {hidden, later};
        EXPECT_EQ(registry.BindNtEntryPoints(error), 0);
        EXPECT_EQ(error, std::wstring(L"Could not find ") + named + L" entry point in NTDLL.DLL");
    }

    TestProvider partial;
    partial.hidden = {"NtRenameKey"};
    CNtRegistry stopped(partial);
    ASSERT_EQ(partial.messages.size(), 1u);
    EXPECT_EQ(partial.messages[0].text, L"Could not find NtRenameKey entry point in NTDLL.DLL");
    EXPECT_EQ(partial.messages[0].caption, L"CNtRegistry::ClearKeys()");
    EXPECT_EQ(partial.messages[0].type, UINT(MB_ICONERROR));
    EXPECT_NE(stopped.EntryPoints().NtDeleteValueKey, nullptr);
    EXPECT_EQ(stopped.EntryPoints().NtQueryMultipleValueKey, nullptr);

    // Nothing after the missing name is bound: operations fail instead of calling null slots.
    std::wstring out;
    EXPECT_EQ(stopped.RootPath(), L"\\Registry\\Machine");
    EXPECT_EQ(stopped.ReadString(out, L"", L"dflt"), L"dflt");
    EXPECT_EQ(stopped.OpenKey(L"SOFTWARE", 1, 1), 0);
    EXPECT_EQ(stopped.Status(), kStatusEntryPointNotFound);
    EXPECT_EQ(stopped.DeleteKeyTree(L"SOFTWARE\\NoSuchKeyHere"), 0);
    EXPECT_EQ(stopped.Status(), kStatusEntryPointNotFound);
}

TEST(NtRegistryLifecycle, RootFromTheUserSidAndRepeatedInitialize) {
    TestProvider provider;
    CNtRegistry registry(provider);
    const std::wstring root = registry.RootPath();
    EXPECT_TRUE(registry.UserSid().starts_with(L"S-1-5-"));
    EXPECT_EQ(root, L"\\Registry\\User\\" + registry.UserSid());

    registry.SelectMachineRoot();
    registry.OpenKey(L"SOFTWARE", 0, 1);
    registry.OpenKey(L"SOFTWARE\\NoSuchKeyHere", 0, 1);
    registry.Initialize();
    EXPECT_EQ(registry.Status(), 0u);
    EXPECT_EQ(registry.RootPath(), root);
    EXPECT_EQ(registry.CurrentPath(), root);
    EXPECT_EQ(std::wstring(registry.KeyName().Buffer, registry.KeyName().Length / 2), root);

    TestProvider noToken;
    noToken.replaced["NtOpenProcessToken"] = AsFarProc(RefusingOpenProcessToken);
    EXPECT_EQ(CNtRegistry(noToken).RootPath(), L"\\Registry\\Machine");
    ASSERT_EQ(noToken.messages.size(), 1u);
    EXPECT_EQ(noToken.messages[0].caption, L"CNtRegistry: Message...");
    EXPECT_TRUE(noToken.messages[0].text.starts_with(L"Error( 3221225506 [0xC0000022L] ) - "));

    TestProvider longSid;
    longSid.replaced["NtQueryInformationToken"] = AsFarProc(NineSubAuthorityToken);
    EXPECT_EQ(CNtRegistry(longSid).RootPath(), L"\\Registry\\User\\Error");
    ASSERT_EQ(longSid.messages.size(), 1u);
    EXPECT_EQ(longSid.messages[0].text, registry.FormatNtError(ERROR_INSUFFICIENT_BUFFER));
}

TEST(NtRegistryText, SidTextAndErrorText) {
    TestProvider provider;
    CNtRegistry registry(provider);
    auto text = [&](std::vector<BYTE> sid) {
        wchar_t buffer[128] = L"untouched";
        DWORD capacity = 128;
        return registry.SidToText(sid.data(), buffer, capacity) ? std::wstring(buffer)
                                                                : std::to_wstring(capacity);
    };
    EXPECT_EQ(text(MakeSid({0, 0, 0, 0, 0, 5}, {})), L"S-1-5");
    EXPECT_EQ(text(MakeSid({0, 0, 0, 0, 0, 5}, {21, 1000})), L"S-1-5-21-1000");
    EXPECT_EQ(text(MakeSid({0, 0, 0x12, 0x34, 0x56, 0x78}, {4294967295u})),
              L"S-1-305419896-4294967295");
    EXPECT_EQ(text(MakeSid({1, 0, 0, 0, 0, 0}, {7})), L"S-1-0x010000000000-7");
    EXPECT_EQ(text(MakeSid({0, 0, 0, 0, 0, 5}, {1, 2, 3, 4, 5, 6, 7, 8, 9})), L"136");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(registry.Status(), ULONG(ERROR_INSUFFICIENT_BUFFER));

    EXPECT_TRUE(
        registry.FormatNtError(0xC0000034).starts_with(L"Error( 3221225524 [0xC0000034L] ) - "));
    const std::wstring tooSmall = registry.FormatNtError(122);
    EXPECT_TRUE(tooSmall.starts_with(L"Error( 122 [0x      7AL] ) - ")) << tooSmall;
    EXPECT_EQ(tooSmall.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(registry.FormatNtError(0x2FFFFFFF),
              L"Error( 805306367 [0x2FFFFFFFL] ) - No NT Error Data was returned??");
}

TEST(NtRegistryKeys, NativePathsAndOpenKey) {
    ScratchKey scratch(L"OpenKey");
    TestProvider provider;
    CNtRegistry registry(provider);
    registry.SelectMachineRoot();
    const std::wstring root = L"\\Registry\\Machine";
    for (const wchar_t* path : {L"SOFTWARE\\X", L"\\SOFTWARE\\X", L"SOFTWARE\\X\\"})
        EXPECT_EQ(registry.BuildNativePath(path), root + L"\\SOFTWARE\\X");
    EXPECT_EQ(registry.BuildNativePath(L"SOFTWARE\\X\\\\"), root + L"\\SOFTWARE\\X\\");
    EXPECT_EQ(registry.BuildNativePath(L""), root);
    EXPECT_EQ(registry.BuildNativePath(L"\\REGISTRY\\MACHINE\\A\\"), L"\\REGISTRY\\MACHINE\\A\\");
    EXPECT_EQ(registry.BuildNativePath(L"registry\\machine\\A"), root + L"\\registry\\machine\\A");

    EXPECT_EQ(registry.OpenKey(scratch.Path(L"new"), 0, 1), 0);
    EXPECT_EQ(registry.Status(), kStatusObjectNameNotFound);
    EXPECT_EQ(registry.OpenKey(scratch.Path(L"new"), 1, 0), 1);
    EXPECT_TRUE(scratch.Exists(L"new"));
    EXPECT_EQ(registry.CurrentPath(), root);
    EXPECT_EQ(registry.OpenKey(scratch.Path(L"new"), 0, 1), 1);
    EXPECT_EQ(registry.CurrentPath(), root + L"\\" + scratch.Path(L"new"));
    EXPECT_EQ(registry.OpenKey(scratch.Path(L"none\\child"), 1, 1), 0);
    EXPECT_FALSE(scratch.Exists(L"none"));
    EXPECT_EQ(registry.CurrentPath(), root + L"\\" + scratch.Path(L"new"));
}

TEST(NtRegistryValues, ReadStringTypesNamesAndFailures) {
    ScratchKey scratch(L"ReadString");
    const std::wstring foreign = L"\u041a\u043e\u0440\u0432\u0438\u043d\u0430 \u03b1\u03b2 "
                                 L"\u65e5\u672c caf\u00e9";
    const DWORD number = 7;
    scratch.PutText(L"", L"Name", L"Corvina Pro");
    scratch.PutText(L"", L"Empty", L"");
    scratch.PutText(L"", L"Folder", L"%SystemRoot%\\x", REG_EXPAND_SZ);
    scratch.PutText(L"", L"", L"default text");
    scratch.PutText(L"", L"Foreign", foreign);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, scratch.Path().c_str(), L"Number", REG_DWORD, &number, 4);
    scratch.Create(L"bare");

    TestProvider provider;
    provider.replaced["RtlAllocateHeap"] = AsFarProc(FailableAllocateHeap);
    CNtRegistry registry(provider);
    registry.SelectMachineRoot();
    ASSERT_EQ(registry.OpenKey(scratch.Path(), 0, 1), 1);
    std::wstring out;
    auto read = [&](const wchar_t* name) { return registry.ReadString(out, name, L"dflt"); };
    EXPECT_EQ(read(L"Name"), L"Corvina Pro");
    EXPECT_EQ(out, L"Corvina Pro");
    EXPECT_EQ(read(L"Empty"), L"");
    EXPECT_EQ(read(L"Folder"), L"%SystemRoot%\\x");
    EXPECT_EQ(read(L"Number"), L"dflt");
    EXPECT_EQ(read(L"Missing"), L"dflt");
    EXPECT_EQ(read(L"(Default)"), L"default text");
    EXPECT_EQ(read(L""), L"default text");
    EXPECT_EQ(read(L"(default)"), L"dflt");
    EXPECT_EQ(read(L"Foreign"), foreign);
    DWORD length = 0;
    EXPECT_EQ(registry.GetValueType(L"Name", length), DWORD(REG_SZ));
    EXPECT_EQ(length, 12u);

    g_failAllocations = true;
    EXPECT_EQ(read(L""), L"dflt: IN: HeapAlloc() Error!!");
    EXPECT_EQ(read(L"Name"), L"dflt");
    g_failAllocations = false;

    ASSERT_EQ(registry.OpenKey(scratch.Path(L"bare"), 0, 1), 1);
    EXPECT_EQ(read(L""), L"dflt: IN");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, scratch.Path(L"bare").c_str());
    EXPECT_EQ(read(L"Name"), L"dflt");
    EXPECT_EQ(read(L""), L"dflt: IN");
}

TEST(NtRegistryKeys, NulTerminatedTwinIsUsedByEveryOperation) {
    ScratchKey scratch(L"NulTwin");
    scratch.Create(L"twin");
    scratch.PutText(L"twin", L"Name", L"plain");
    scratch.CreateNulTwin(L"twin", L"nul");

    TestProvider provider;
    CNtRegistry registry(provider);
    registry.SelectMachineRoot();
    ASSERT_EQ(registry.OpenKey(scratch.Path(L"twin"), 0, 1), 1);
    EXPECT_EQ(registry.TrailingNul(), 1);
    EXPECT_EQ(registry.KeyName().Length, registry.CurrentPath().size() * 2 + 2);
    std::wstring out;
    EXPECT_EQ(registry.ReadString(out, L"Name", L"dflt"), L"nul");

    EXPECT_EQ(registry.DeleteKeyTree(scratch.Path(L"twin")), 1);
    EXPECT_EQ(registry.ProbeNulTerminatedKey(scratch.Path(L"twin")), 0);
    EXPECT_EQ(registry.ReadString(out, L"Name", L"dflt"), L"plain");
    EXPECT_EQ(registry.TrailingNul(), 0);
}

TEST(NtRegistryDelete, LeavesFirstEveryPathFormAndARefusedSubkey) {
    ScratchKey scratch(L"DeleteTree");
    for (const wchar_t* sub : {L"key\\b\\c", L"key\\a", L"slash\\x\\y", L"native\\x\\y",
                               L"refused\\a", L"refused\\b\\inner", L"refused\\c"})
        scratch.Create(sub);
    scratch.PutText(L"key\\b\\c", L"Name", L"value");

    TestProvider provider;
    provider.replaced["NtDeleteKey"] = AsFarProc(RecordingDeleteKey);
    CNtRegistry registry(provider);
    registry.SelectMachineRoot();
    EXPECT_EQ(registry.DeleteKeyTree(scratch.Path(L"key")), 1);
    std::wstring key = L"\\registry\\machine\\" + scratch.Path(L"key");
    CharLowerW(key.data());
    EXPECT_EQ(g_deleted,
              (std::vector<std::wstring>{key + L"\\a", key + L"\\b\\c", key + L"\\b", key}));
    EXPECT_FALSE(scratch.Exists(L"key"));

    EXPECT_EQ(registry.DeleteKeyTree(scratch.Path(L"slash") + L"\\"), 1);
    EXPECT_FALSE(scratch.Exists(L"slash"));
    EXPECT_EQ(registry.DeleteKeyTree(L"\\REGISTRY\\machine\\" + scratch.Path(L"native")), 1);
    EXPECT_FALSE(scratch.Exists(L"native"));
    EXPECT_EQ(registry.DeleteKeyTree(scratch.Path(L"missing")), 0);
    EXPECT_EQ(registry.Status(), kStatusObjectNameNotFound);

    g_refused = L"\\refused\\b";
    EXPECT_EQ(registry.DeleteKeyTree(scratch.Path(L"refused")), 0);
    g_refused = L"\n";
    EXPECT_FALSE(scratch.Exists(L"refused\\a"));
    EXPECT_FALSE(scratch.Exists(L"refused\\b\\inner"));
    EXPECT_TRUE(scratch.Exists(L"refused\\b"));
    EXPECT_TRUE(scratch.Exists(L"refused\\c"));
}
