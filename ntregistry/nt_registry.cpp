#include "ntregistry/nt_registry.h"

#include <cstring>
#include <cwchar>
#include <iterator>
#include <type_traits>

#include "framework/routine.h"
#include "ntregistry/nt_scoped.h"

namespace {

constexpr wchar_t kMessageCaption[] = L"CNtRegistry: Message...";
constexpr wchar_t kBindingCaption[] = L"CNtRegistry::ClearKeys()";
constexpr DWORD kSidTextCapacity = 128;

std::wstring MissingEntryPointText(const char* name) {
    // Support searches its notes for this message as users quote it, capital T included.
    if (std::strcmp(name, "NtSetValueKey") == 0)
        name = "NTSetValueKey";
    return L"Could not find " + std::wstring(name, name + std::strlen(name)) +
           L" entry point in NTDLL.DLL";
}

std::wstring FormatNtError(DWORD code) {
    wchar_t head[48];
    std::swprintf(head, std::size(head), L"Error( %u [0x%8XL] ) - ", code, code);
    std::wstring result = head;

    wchar_t* message = nullptr;
    // Inserts are ignored: some status texts carry %hs or %1 and there is nothing to put there.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
            FORMAT_MESSAGE_IGNORE_INSERTS,
        GetModuleHandleW(L"ntdll.dll"), code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length != 0 && message) {
        std::wstring text(message, length);
        LocalFree(message);
        text.resize(text.size() >= 2 ? text.size() - 2 : 0); // the line end
        result += text;
    } else {
        result += L"No NT Error Data was returned??";
    }
    return result;
}

// Empty, with the thread's last error set, when the text would not fit kSidTextCapacity.
std::wstring SidText(PSID sid) {
    if (!IsValidSid(sid))
        return {};
    const DWORD count = *GetSidSubAuthorityCount(sid);
    // The longest text per sub-authority is "-4294967295"; the rest fits in 28.
    if (12 * count + 28 > kSidTextCapacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return {};
    }

    wchar_t text[kSidTextCapacity];
    const BYTE* authority = GetSidIdentifierAuthority(sid)->Value;
    int used = std::swprintf(text, kSidTextCapacity, L"S-%lu-", 1ul);
    if (authority[0] != 0 || authority[1] != 0) {
        used +=
            std::swprintf(text + used, kSidTextCapacity - used, L"0x%02hx%02hx%02hx%02hx%02hx%02hx",
                          USHORT{authority[0]}, USHORT{authority[1]}, USHORT{authority[2]},
                          USHORT{authority[3]}, USHORT{authority[4]}, USHORT{authority[5]});
    } else {
        const ULONG value = ULONG{authority[2]} << 24 | ULONG{authority[3]} << 16 |
                            ULONG{authority[4]} << 8 | ULONG{authority[5]};
        used += std::swprintf(text + used, kSidTextCapacity - used, L"%lu", value);
    }
    for (DWORD i = 0; i < count; ++i)
        used += std::swprintf(text + used, kSidTextCapacity - used, L"-%lu",
                              *GetSidSubAuthority(sid, i));
    return text;
}

} // namespace

CNtRegistry::CNtRegistry(NtEntryPointProvider& provider) : m_provider(provider) {
    Initialize();
}

void CNtRegistry::Initialize() {
    const std::wstring errorText = BindNtEntryPoints();
    if (!errorText.empty())
        m_provider.ShowMessageBox(errorText.c_str(), kBindingCaption, MB_ICONERROR);

    m_status = kStatusSuccess;
    if (GetUserSidText(m_userSid))
        m_rootPath = L"\\Registry\\User\\" + m_userSid;
    else
        m_rootPath = L"\\Registry\\Machine";
    m_currentPath = m_rootPath;
}

std::wstring CNtRegistry::BindNtEntryPoints() {
    HMODULE ntdll = m_provider.FindModule(L"ntdll.dll");
    if (!ntdll)
        return FormatNtError(GetLastError());

    // After a missing required one nothing more is looked up, and the later slots keep what
    // they held.
    const char* missing = nullptr;
    auto bind = [&](auto& slot, const char* name, bool required) {
        if (missing)
            return;
        slot = RoutineAs<std::remove_reference_t<decltype(slot)>>(
            m_provider.FindEntryPoint(ntdll, name));
        if (!slot && required)
            missing = name;
    };
#define CORVINA_NT_BIND(name, type, required) bind(m_nt.name, #name, required);
    CORVINA_NT_ENTRY_POINTS(CORVINA_NT_BIND)
#undef CORVINA_NT_BIND

    // Of the optional ones only RtlInitUnicodeString is called; Wine's ntdll lacks RtlFreeString.
    if (!missing && !m_nt.RtlInitUnicodeString)
        missing = "RtlInitUnicodeString";
    return missing ? MissingEntryPointText(missing) : std::wstring();
}

bool CNtRegistry::GetUserSidText(std::wstring& sidText) {
    sidText = L"Error";
    if (!Bound(m_nt.NtOpenProcessToken, m_nt.NtQueryInformationToken, m_nt.NtClose,
               m_nt.RtlAllocateHeap, m_nt.RtlFreeHeap))
        return false;
    auto showStatus = [this] {
        m_provider.ShowMessageBox(FormatNtError(m_status).c_str(), kMessageCaption, MB_ICONERROR);
    };

    ScopedNtHandle token(m_nt.NtClose);
    m_status = m_nt.NtOpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out());
    if (m_status != kStatusSuccess) {
        showStatus();
        return false;
    }

    // The first query, refused, tells the size.
    ScopedHeapBlock user(m_nt);
    ULONG needed = 0;
    std::wstring text;
    m_status = m_nt.NtQueryInformationToken(token.Get(), TokenUser, nullptr, 0, &needed);
    if (m_status != kStatusSuccess && user.Allocate(needed)) {
        m_status =
            m_nt.NtQueryInformationToken(token.Get(), TokenUser, user.Get(), needed, &needed);
        if (m_status == kStatusSuccess) {
            text = SidText(user.As<TOKEN_USER>()->User.Sid);
            if (text.empty())
                m_status = GetLastError();
        }
    }
    // A token that was opened but not read still makes a user root, of the user "Error".
    if (text.empty())
        showStatus();
    else
        sidText = text;
    return true;
}
