#include "removal/at_restart.h"

#include <windows.h>

#include "framework/long_path.h"

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

} // namespace

std::vector<std::wstring> PendingDeletions() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return {};
    DWORD size = 0;
    std::wstring text;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        text.resize(size / sizeof(wchar_t) + 1);
        if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
            size = 0;
        text.resize(size / sizeof(wchar_t));
    }
    RegCloseKey(key);
    // Pairs of source and target; an empty target deletes the source. Read as any name that
    // an empty one follows, so that a stray empty string cannot shift the pairs.
    std::vector<std::wstring> pending;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(L'\0', at), text.size());
        if (end > at && end + 1 < text.size() && text[end + 1] == L'\0') {
            const std::wstring source = text.substr(at, end - at);
            pending.push_back(source.starts_with(L"\\??\\") ? source.substr(4) : source);
        }
        at = end + 1;
    }
    return pending;
}

bool IsPending(const std::vector<std::wstring>& pending, const std::wstring& path) {
    const std::wstring plain = Plain(path);
    for (const std::wstring& entry : pending)
        if (SameName(entry, plain))
            return true;
    return false;
}
