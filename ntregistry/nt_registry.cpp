#include "ntregistry/nt_registry.h"

#include <cstring>
#include <cwchar>
#include <iterator>

#include "ntregistry/nt_scoped.h"

namespace {

constexpr wchar_t kMessageCaption[] = L"CNtRegistry: Message...";
constexpr wchar_t kBindingCaption[] = L"CNtRegistry::ClearKeys()";
constexpr DWORD kSidTextCapacity = 128;

std::wstring MissingEntryPointText(const char* name) {
    // Support knows this one message by its historical spelling.
    if (std::strcmp(name, "NtSetValueKey") == 0)
        name = "NTSetValueKey";
    return L"Could not find " + std::wstring(name, name + std::strlen(name)) +
           L" entry point in NTDLL.DLL";
}

} // namespace

CNtRegistry::CNtRegistry(NtEntryPointProvider& provider) : m_provider(provider) {
    Initialize();
}

CNtRegistry::~CNtRegistry() = default;

void CNtRegistry::Initialize() {
    std::wstring errorText;
    if (!IsWindows2000OrLater()) {
        // Everything stays unbound, so every operation fails with STATUS_ENTRYPOINT_NOT_FOUND.
        errorText = L"CNtRegistry Exception raised: MUST be Windows 2000 or greater!";
        OutputDebugStringW(errorText.c_str());
        return;
    }
    if (!BindNtEntryPoints(errorText))
        m_provider.ShowMessageBox(errorText.c_str(), kBindingCaption, MB_ICONERROR);

    m_trailingNul = 0;
    m_status = 0;
    if (GetUserSidText(m_userSid))
        m_rootPath = L"\\Registry\\User\\" + m_userSid;
    else
        m_rootPath = L"\\Registry\\Machine";
    m_currentPath = m_rootPath;
    SetKeyNameText(m_currentPath, false);
}

template <typename F> bool CNtRegistry::Bind(F& slot, HMODULE ntdll, const char* name) {
    // Through void (*)(), the one function type GCC accepts as a stand-in for any other.
    slot =
        reinterpret_cast<F>(reinterpret_cast<void (*)()>(m_provider.FindEntryPoint(ntdll, name)));
    return slot != nullptr;
}

BOOL CNtRegistry::BindNtEntryPoints(std::wstring& errorText) {
    errorText.clear();
    HMODULE ntdll = m_provider.FindModule(L"ntdll.dll");
    if (!ntdll) {
        errorText = FormatNtError(GetLastError());
        return 0;
    }

    const char* missing = nullptr;
    auto bind = [&](auto& slot, const char* name) {
        if (Bind(slot, ntdll, name))
            return true;
        missing = name;
        return false;
    };
    const bool complete =
        bind(m_nt.NtOpenThread, "NtOpenThread") && bind(m_nt.NtCreateKey, "NtCreateKey") &&
        bind(m_nt.NtOpenKey, "NtOpenKey") && bind(m_nt.NtFlushKey, "NtFlushKey") &&
        bind(m_nt.NtDeleteKey, "NtDeleteKey") && bind(m_nt.NtQueryKey, "NtQueryKey") &&
        bind(m_nt.NtEnumerateKey, "NtEnumerateKey") && bind(m_nt.NtClose, "NtClose") &&
        bind(m_nt.NtSetValueKey, "NtSetValueKey") &&
        bind(m_nt.NtSetInformationKey, "NtSetInformationKey") &&
        bind(m_nt.NtQueryValueKey, "NtQueryValueKey") &&
        bind(m_nt.NtEnumerateValueKey, "NtEnumerateValueKey") &&
        bind(m_nt.NtDeleteValueKey, "NtDeleteValueKey") && bind(m_nt.NtRenameKey, "NtRenameKey") &&
        bind(m_nt.NtQueryMultipleValueKey, "NtQueryMultipleValueKey") &&
        bind(m_nt.NtNotifyChangeKey, "NtNotifyChangeKey") &&
        bind(m_nt.NtCreateFile, "NtCreateFile") &&
        bind(m_nt.NtOpenProcessToken, "NtOpenProcessToken") &&
        bind(m_nt.NtAdjustPrivilegesToken, "NtAdjustPrivilegesToken") &&
        bind(m_nt.NtQueryInformationToken, "NtQueryInformationToken") &&
        bind(m_nt.RtlAllocateHeap, "RtlAllocateHeap") && bind(m_nt.RtlFreeHeap, "RtlFreeHeap") &&
        bind(m_nt.NtRestoreKey, "NtRestoreKey") && bind(m_nt.NtSaveKey, "NtSaveKey") &&
        bind(m_nt.NtLoadKey, "NtLoadKey") && bind(m_nt.NtLoadKey2, "NtLoadKey2") &&
        bind(m_nt.NtReplaceKey, "NtReplaceKey") && bind(m_nt.NtUnloadKey, "NtUnloadKey");
    if (!complete) {
        errorText = MissingEntryPointText(missing);
        return 0;
    }

    // Optional: some ntdlls (Wine's) lack RtlFreeString, and only RtlInitUnicodeString is used.
    Bind(m_nt.RtlInitString, ntdll, "RtlInitString");
    Bind(m_nt.RtlInitAnsiString, ntdll, "RtlInitAnsiString");
    Bind(m_nt.RtlInitUnicodeString, ntdll, "RtlInitUnicodeString");
    Bind(m_nt.RtlAnsiStringToUnicodeString, ntdll, "RtlAnsiStringToUnicodeString");
    Bind(m_nt.RtlUnicodeStringToAnsiString, ntdll, "RtlUnicodeStringToAnsiString");
    Bind(m_nt.RtlFreeString, ntdll, "RtlFreeString");
    Bind(m_nt.RtlFreeAnsiString, ntdll, "RtlFreeAnsiString");
    Bind(m_nt.RtlFreeUnicodeString, ntdll, "RtlFreeUnicodeString");
    if (!m_nt.RtlInitUnicodeString) {
        errorText = MissingEntryPointText("RtlInitUnicodeString");
        return 0;
    }
    return 1;
}

BOOL CNtRegistry::GetUserSidText(std::wstring& sidText) {
    sidText = L"Error";
    if (!Bound(m_nt.NtOpenProcessToken, m_nt.NtQueryInformationToken, m_nt.NtClose,
               m_nt.RtlAllocateHeap, m_nt.RtlFreeHeap))
        return 0;

    ScopedNtHandle token(m_nt.NtClose);
    m_status = m_nt.NtOpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out());
    if (m_status != 0) {
        ShowMessage(MB_ICONERROR, FormatNtError(m_status));
        return 0;
    }

    ScopedHeapBlock user(m_nt);
    ScopedHeapBlock text(m_nt);
    ULONG needed = 0;
    bool done = false;
    m_status = m_nt.NtQueryInformationToken(token.Get(), TokenUser, nullptr, 0, &needed);
    if (m_status != 0 && user.Allocate(needed)) {
        m_status =
            m_nt.NtQueryInformationToken(token.Get(), TokenUser, user.Get(), needed, &needed);
        if (m_status == 0 && text.Allocate(kSidTextCapacity * sizeof(wchar_t))) {
            DWORD capacity = kSidTextCapacity;
            done = SidToText(user.As<TOKEN_USER>()->User.Sid, text.As<wchar_t>(), capacity);
            if (!done)
                m_status = GetLastError();
        }
    }
    if (done)
        sidText = text.As<wchar_t>();
    else
        ShowMessage(MB_ICONERROR, FormatNtError(m_status));
    return 1;
}

BOOL CNtRegistry::SidToText(PSID sid, wchar_t* text, DWORD& capacity) {
    if (!IsValidSid(sid))
        return 0;
    const DWORD count = *GetSidSubAuthorityCount(sid);
    // The longest text per sub-authority is "-4294967295"; the rest fits in 28.
    const DWORD needed = 12 * count + 28;
    if (capacity < needed) {
        capacity = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        m_status = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }

    const BYTE* authority = GetSidIdentifierAuthority(sid)->Value;
    int used = std::swprintf(text, capacity, L"S-%lu-", 1ul);
    if (authority[0] != 0 || authority[1] != 0) {
        used += std::swprintf(text + used, capacity - used, L"0x%02hx%02hx%02hx%02hx%02hx%02hx",
                              USHORT{authority[0]}, USHORT{authority[1]}, USHORT{authority[2]},
                              USHORT{authority[3]}, USHORT{authority[4]}, USHORT{authority[5]});
    } else {
        const ULONG value = ULONG{authority[2]} << 24 | ULONG{authority[3]} << 16 |
                            ULONG{authority[4]} << 8 | ULONG{authority[5]};
        used += std::swprintf(text + used, capacity - used, L"%lu", value);
    }
    for (DWORD i = 0; i < count; ++i)
        used += std::swprintf(text + used, capacity - used, L"-%lu", *GetSidSubAuthority(sid, i));
    return 1;
}

std::wstring CNtRegistry::FormatNtError(DWORD code) {
    wchar_t head[48];
    std::swprintf(head, std::size(head), L"Error( %u [0x%8XL] ) - ", code, code);
    std::wstring result = head;

    HMODULE ntdll = LoadLibraryW(L"NTDLL.DLL");
    wchar_t* message = nullptr;
    // Inserts are ignored: some status texts carry %hs or %1 and there is nothing to put there.
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                           FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       ntdll, code, 0x400, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length != 0 && message) {
        std::wstring text(message, length);
        LocalFree(message);
        text.resize(text.size() >= 2 ? text.size() - 2 : 0); // the line end
        result += text;
    } else {
        result += L"No NT Error Data was returned??";
    }
    if (ntdll)
        FreeLibrary(ntdll);
    return result;
}

void CNtRegistry::ShowMessage(UINT type, const std::wstring& text) {
    m_provider.ShowMessageBox(text.c_str(), kMessageCaption, type);
}

BOOL CNtRegistry::IsWindows2000OrLater() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info))
        return 0;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

void CNtRegistry::SetKeyNameText(const std::wstring& text, bool trailingNul) {
    m_keyNameText = text;
    m_keyName = {};
    if (!m_nt.RtlInitUnicodeString)
        return;
    m_nt.RtlInitUnicodeString(&m_keyName, m_keyNameText.c_str());
    if (trailingNul) {
        m_keyName.Length += 2;
        m_keyName.MaximumLength = m_keyName.Length;
    }
}
