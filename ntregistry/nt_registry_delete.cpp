#include <algorithm>
#include <cstddef>

#include "ntregistry/nt_registry.h"
#include "ntregistry/nt_scoped.h"

namespace {

constexpr ULONG kSubkeyRecordSize = 1024;
constexpr ULONG kStatusNameTooLong = 0xC0000106;

} // namespace

BOOL CNtRegistry::DeleteKeyTree(const std::wstring& path) {
    if (path.empty())
        return 0;
    if (!Bound(m_nt.RtlInitUnicodeString, m_nt.NtOpenKey, m_nt.NtEnumerateKey, m_nt.NtDeleteKey,
               m_nt.NtClose))
        return 0;
    return DeleteKeyTreeLowerCase(ToLowerAscii(m_rootPath), ToLowerAscii(path));
}

BOOL CNtRegistry::DeleteKeyTreeLowerCase(const std::wstring& lowerRoot,
                                         const std::wstring& lowerPath) {
    // A path that starts like the root (its first 15 characters) is taken as native already.
    std::wstring native;
    if (lowerPath.compare(0, 15, lowerRoot, 0, 15) == 0) {
        native = lowerPath;
    } else {
        native = lowerRoot;
        if (lowerPath[0] != L'\\')
            native += L'\\';
        native += lowerPath;
    }
    if (native.back() == L'\\')
        native.pop_back();

    UNICODE_STRING name;
    if (!CountedName(native, ProbeNulTerminatedKey(native), name)) {
        m_status = kStatusNameTooLong;
        return 0;
    }
    // A link key is opened as itself: it has no subkeys of its own, so it goes without the walk
    // ever entering the key it leads to.
    OBJECT_ATTRIBUTES attributes = KeyAttributes(name, OBJ_OPENLINK);
    ScopedNtHandle key(m_nt.NtClose);
    m_status = m_nt.NtOpenKey(key.Out(), KEY_ALL_ACCESS, &attributes);
    if (m_status != kStatusSuccess)
        return 0;

    // Deleting a subkey moves the next one to index 0, so index 0 is always the one to take.
    alignas(NtKeyBasicInformation) BYTE buffer[kSubkeyRecordSize];
    const auto* record = reinterpret_cast<const NtKeyBasicInformation*>(buffer);
    // Never read past the record, whatever its NameLength claims.
    constexpr size_t kMaxNameChars =
        (kSubkeyRecordSize - offsetof(NtKeyBasicInformation, Name)) / sizeof(WCHAR);
    // Without its trailing backslash, or the children's names would hold an empty component,
    // which Windows refuses.
    const size_t baseLength = lowerPath.back() == L'\\' ? lowerPath.size() - 1 : lowerPath.size();
    std::wstring child;
    ULONG length = 0;
    m_status =
        m_nt.NtEnumerateKey(key.Get(), 0, kKeyBasicInformation, buffer, sizeof(buffer), &length);
    while (m_status == kStatusSuccess) {
        child.assign(lowerPath, 0, baseLength);
        child += L'\\';
        child.append(record->Name, std::min<size_t>(record->NameLength / 2, kMaxNameChars));
        if (!DeleteKeyTreeLowerCase(lowerRoot, ToLowerAscii(child)))
            break;
        m_status = m_nt.NtEnumerateKey(key.Get(), 0, kKeyBasicInformation, buffer, sizeof(buffer),
                                       &length);
    }

    m_status = m_nt.NtDeleteKey(key.Get());
    return m_status == kStatusSuccess;
}
