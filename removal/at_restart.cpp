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
    return ParsePendingDeletions(text);
}

std::vector<std::wstring> ParsePendingDeletions(std::wstring_view value) {
    std::vector<std::wstring_view> strings;
    for (size_t at = 0; at < value.size();) {
        const size_t end = std::min(value.find(L'\0', at), value.size());
        strings.push_back(value.substr(at, end - at));
        at = end + 1;
    }
    // Pairs of source and target; an empty target deletes the source. A source is never empty:
    // an empty string where one is due is a stray one, passed over so that it cannot shift the
    // pairs, and a rename's target is never read as a source.
    std::vector<std::wstring> pending;
    for (size_t i = 0; i < strings.size(); ++i) {
        if (strings[i].empty())
            continue;
        const std::wstring_view source = strings[i];
        if (++i < strings.size() && strings[i].empty())
            pending.emplace_back(source.starts_with(L"\\??\\") ? source.substr(4) : source);
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
