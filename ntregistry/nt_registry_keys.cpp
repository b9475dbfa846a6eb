#include <cwchar>

#include "ntregistry/nt_registry.h"
#include "ntregistry/nt_scoped.h"

namespace {

constexpr wchar_t kDefaultValueName[] = L"(Default)";

enum class QueryOutcome { Queried, RetryAllocationFailed, AllocationFailed };

// Sizes the record with an empty probe, then reads it into block; status is the last query's.
QueryOutcome QueryValue(const NtEntryPoints& nt, HANDLE key, const std::wstring& valueName,
                        ULONG infoClass, ScopedHeapBlock& block, ULONG& status) {
    const std::wstring name = valueName == kDefaultValueName ? std::wstring() : valueName;
    UNICODE_STRING countedName;
    nt.RtlInitUnicodeString(&countedName, name.c_str());

    ULONG needed = 0;
    status = kStatusSuccess;
    const ULONG probe = nt.NtQueryValueKey(key, &countedName, infoClass, nullptr, 0, &needed);
    if (probe == kStatusBufferOverflow) {
        // The value may grow between calls; read until a whole record fits.
        do {
            const ULONG size = needed + 1026;
            if (!block.Allocate(size))
                return QueryOutcome::RetryAllocationFailed;
            status = nt.NtQueryValueKey(key, &countedName, infoClass, block.Get(), size, &needed);
        } while (status == kStatusBufferOverflow);
        return QueryOutcome::Queried;
    }
    const ULONG size = needed + 1024;
    if (!block.Allocate(size))
        return QueryOutcome::AllocationFailed;
    status = nt.NtQueryValueKey(key, &countedName, infoClass, block.Get(), size, &needed);
    return QueryOutcome::Queried;
}

} // namespace

BOOL CNtRegistry::SelectMachineRoot() {
    m_rootPath = L"\\Registry\\Machine";
    m_currentPath = m_rootPath;
    return 1;
}

std::wstring CNtRegistry::BuildNativePath(const std::wstring& path) const {
    if (ToLowerAscii(path.substr(0, 10)) == L"\\registry\\")
        return path;
    std::wstring native = m_rootPath;
    if (path.empty() || path[0] != L'\\')
        native += L'\\';
    native += path;
    if (!native.empty() && native.back() == L'\\')
        native.pop_back();
    return native;
}

// Callers have checked that RtlInitUnicodeString is bound.
void CNtRegistry::SetKeyName(const std::wstring& path) {
    const bool trailingNul = ProbeNulTerminatedKey(path);
    m_keyNameText = BuildNativePath(path);
    m_nt.RtlInitUnicodeString(&m_keyName, m_keyNameText.c_str());
    if (trailingNul) {
        m_keyName.Length += 2;
        m_keyName.MaximumLength = m_keyName.Length;
    }
}

bool CNtRegistry::ProbeNulTerminatedKey(const std::wstring& path) {
    if (!Bound(m_nt.RtlInitUnicodeString, m_nt.NtOpenKey, m_nt.NtClose))
        return false;
    const std::wstring native = BuildNativePath(path);
    UNICODE_STRING name;
    // The terminating NUL of the text becomes part of the name.
    if (!CountedName(native, true, name))
        return false;
    OBJECT_ATTRIBUTES attributes = KeyAttributes(name);
    ScopedNtHandle key(m_nt.NtClose);
    m_status = m_nt.NtOpenKey(key.Out(), KEY_ALL_ACCESS, &attributes);
    return m_status == kStatusSuccess;
}

BOOL CNtRegistry::OpenKey(const std::wstring& path, BOOL create, BOOL makeCurrent) {
    if (!Bound(m_nt.RtlInitUnicodeString, m_nt.NtCreateKey, m_nt.NtOpenKey, m_nt.NtClose))
        return 0;
    const std::wstring full = BuildNativePath(path);
    SetKeyName(full);

    OBJECT_ATTRIBUTES attributes = KeyAttributes(m_keyName);
    ScopedNtHandle key(m_nt.NtClose);
    if (create) {
        ULONG disposition = 0;
        m_status =
            m_nt.NtCreateKey(key.Out(), KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, &disposition);
    } else {
        m_status = m_nt.NtOpenKey(key.Out(), KEY_ALL_ACCESS, &attributes);
    }
    if (m_status != kStatusSuccess)
        return 0;
    if (makeCurrent)
        m_currentPath = full;
    return 1;
}

// The type of a value of the key m_keyName names; 0 when it cannot be read.
DWORD CNtRegistry::GetValueType(const std::wstring& valueName) {
    OBJECT_ATTRIBUTES attributes = KeyAttributes(m_keyName);
    ScopedNtHandle key(m_nt.NtClose);
    m_status = m_nt.NtOpenKey(key.Out(), KEY_ALL_ACCESS, &attributes);
    if (m_status != kStatusSuccess)
        return 0;

    ScopedHeapBlock block(m_nt);
    if (QueryValue(m_nt, key.Get(), valueName, kKeyValueFullInformation, block, m_status) !=
            QueryOutcome::Queried ||
        m_status != kStatusSuccess)
        return 0;
    return block.As<NtKeyValueFullInformation>()->Type;
}

std::wstring CNtRegistry::ReadString(std::wstring& out, const std::wstring& valueName,
                                     const std::wstring& defaultValue) {
    std::wstring result = defaultValue;
    if (!Bound(m_nt.RtlInitUnicodeString, m_nt.NtOpenKey, m_nt.NtQueryValueKey, m_nt.NtClose,
               m_nt.RtlAllocateHeap, m_nt.RtlFreeHeap))
        return out = result;
    SetKeyName(m_currentPath);
    if (!valueName.empty()) {
        const DWORD type = GetValueType(valueName);
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return out = result;
    }

    // Tells a read that failed from a value that is missing or no string.
    result += L": IN";
    OBJECT_ATTRIBUTES attributes = KeyAttributes(m_keyName);
    ScopedNtHandle key(m_nt.NtClose);
    m_status = m_nt.NtOpenKey(key.Out(), KEY_READ, &attributes);
    if (m_status != kStatusSuccess)
        return out = result;

    ScopedHeapBlock block(m_nt);
    switch (QueryValue(m_nt, key.Get(), valueName, kKeyValuePartialInformation, block, m_status)) {
    case QueryOutcome::RetryAllocationFailed:
        result += L": do { HeapAlloc() } Error!!";
        break;
    case QueryOutcome::AllocationFailed:
        result += L": HeapAlloc() Error!!";
        break;
    case QueryOutcome::Queried:
        if (m_status == kStatusSuccess) {
            // The data is UTF-16 as stored, usually with its terminating NUL counted.
            const auto* record = block.As<NtKeyValuePartialInformation>();
            const auto* text = reinterpret_cast<const wchar_t*>(record->Data);
            result.assign(text, wcsnlen(text, record->DataLength / 2));
        }
        break;
    }
    return out = result;
}
