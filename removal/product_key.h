// The product's key below HKEY_LOCAL_MACHINE, where the installer registers it: the welcome
// page reads it and the removal deletes it.
#pragma once

#include <string>

// The installer is 32-bit. WOW64 redirects a 32-bit process to that view, but ntdll opens
// keys by native path and ignores KEY_WOW64_32KEY, so a 64-bit build names the view's own.
inline constexpr const wchar_t* kUninstallKeyPath =
    sizeof(void*) == 8 ? L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                       : L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kProductKeyName[] = L"Corvina";

inline std::wstring ProductKeyPath() {
    return std::wstring(kUninstallKeyPath) + L"\\" + kProductKeyName;
}
