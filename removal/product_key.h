// The product's key below HKEY_LOCAL_MACHINE, where the installer registers it: the welcome
// page reads it and the removal deletes it.
#pragma once

#include <string>

inline constexpr wchar_t kUninstallKeyPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kProductKeyName[] = L"Corvina";

inline std::wstring ProductKeyPath() {
    return std::wstring(kUninstallKeyPath) + L"\\" + kProductKeyName;
}
