// CNtRegistry: the program's registry access, through ntdll's native routines bound by name.
#pragma once

#include <windows.h>
#include <winternl.h>
#include <string>

#include "ntregistry/nt_entry_point_provider.h"
#include "ntregistry/nt_native.h"

// Results are 1/0 and the last native status stays in Status(). Between operations no key
// handle is held, so one object may be made on one thread and then used from another.
class CNtRegistry {
  public:
    explicit CNtRegistry(NtEntryPointProvider& provider = DefaultNtEntryPointProvider());
    virtual ~CNtRegistry();
    CNtRegistry(const CNtRegistry&) = delete;
    CNtRegistry& operator=(const CNtRegistry&) = delete;

    // Binding and lifecycle.
    void Initialize();
    BOOL BindNtEntryPoints(std::wstring& errorText);
    BOOL GetUserSidText(std::wstring& sidText);
    BOOL SidToText(PSID sid, wchar_t* text, DWORD& capacity);
    std::wstring FormatNtError(DWORD code);
    void ShowMessage(UINT type, const std::wstring& text);
    BOOL IsWindows2000OrLater();

    // Key paths, opening and values.
    BOOL SelectMachineRoot();
    BOOL OpenKey(const std::wstring& path, BOOL create, BOOL makeCurrent);
    std::wstring ReadString(std::wstring& out, const std::wstring& valueName,
                            const std::wstring& defaultValue);
    std::wstring BuildNativePath(const std::wstring& path);
    void SetKeyName(const std::wstring& path);
    BOOL ProbeNulTerminatedKey(const std::wstring& path);
    std::wstring GetCurrentPath();
    DWORD GetValueType(const std::wstring& valueName, DWORD& length);

    // Removes the key with all its subkeys, leaves first.
    BOOL DeleteKeyTree(const std::wstring& path);

    BOOL TrailingNul() const { return m_trailingNul; }
    ULONG Status() const { return m_status; }
    const std::wstring& UserSid() const { return m_userSid; }
    const std::wstring& RootPath() const { return m_rootPath; }
    const std::wstring& CurrentPath() const { return m_currentPath; }
    const UNICODE_STRING& KeyName() const { return m_keyName; }
    const NtEntryPoints& EntryPoints() const { return m_nt; }

  private:
    template <typename F> bool Bind(F& slot, HMODULE ntdll, const char* name);
    // Operations check their entry points first: a failed binding never becomes a call
    // through a null slot.
    template <typename... F> bool Bound(F... entryPoints) {
        if ((... && (entryPoints != nullptr)))
            return true;
        m_status = kStatusEntryPointNotFound;
        return false;
    }
    void SetKeyNameText(const std::wstring& text, bool trailingNul);
    BOOL DeleteKeyTreeLowerCase(const std::wstring& lowerRoot, const std::wstring& lowerPath);

    BOOL m_trailingNul = 0;
    ULONG m_status = 0;
    std::wstring m_userSid;
    std::wstring m_rootPath;
    std::wstring m_currentPath;
    UNICODE_STRING m_keyName = {};
    NtEntryPoints m_nt;
    std::wstring m_keyNameText; // the text m_keyName points into
    NtEntryPointProvider& m_provider;
};
