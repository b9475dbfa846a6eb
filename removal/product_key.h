// The product's key below HKEY_LOCAL_MACHINE, where the installer registers it: the welcome
// page reads it and the removal deletes it.
#pragma once

#include <string>

#include "ntregistry/nt_registry.h"

// The installer is 32-bit. WOW64 redirects a 32-bit process to that view, but ntdll opens
// keys by native path and ignores KEY_WOW64_32KEY, so a 64-bit build names the view's own.
inline constexpr const wchar_t* kUninstallKeyPath =
    sizeof(void*) == 8 ? L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                       : L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kProductKeyName[] = L"Corvina";

inline std::wstring ProductKeyPath() {
    return std::wstring(kUninstallKeyPath) + L"\\" + kProductKeyName;
}

// Binds ntdll afresh and makes the product key current on the machine's root; without it, the
// uninstall key is current and every read takes its default. True when the product key exists.
inline bool OpenProductKey(CNtRegistry& registry) {
    registry.Initialize();
    registry.SelectMachineRoot();
    registry.OpenKey(kUninstallKeyPath, FALSE, TRUE);
    return registry.OpenKey(ProductKeyPath(), FALSE, TRUE) != FALSE;
}
