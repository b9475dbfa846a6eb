#include "framework/long_path.h"

#include <windows.h>

std::wstring Extended(const std::wstring& full) {
    if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\"))
        return full;
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring Plain(const std::wstring& path) {
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool LiesBelow(const std::wstring& path, const std::wstring& folder) {
    const size_t length = folder.size();
    return length > 0 && path.size() > length + 1 && path[length] == L'\\' &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(length), folder.c_str(),
                                static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}
