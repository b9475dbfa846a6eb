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
    CNtRegistry(const CNtRegistry&) = delete;
    CNtRegistry& operator=(const CNtRegistry&) = delete;

    // Binds ntdll afresh and makes the user's key (\Registry\User\<SID>) root and current.
    void Initialize();
    // Makes \Registry\Machine root and current.
    BOOL SelectMachineRoot();
    // A path not under \Registry\ is taken relative to the root.
    BOOL OpenKey(const std::wstring& path, BOOL create, BOOL makeCurrent);
    // A value of the current key; "(Default)" names the unnamed value. Returns what it stores
    // in out: defaultValue when a named value is missing or no string.
    std::wstring ReadString(std::wstring& out, const std::wstring& valueName,
                            const std::wstring& defaultValue);
    // Removes the key with all its subkeys, leaves first.
    BOOL DeleteKeyTree(const std::wstring& path);

    ULONG Status() const { return m_status; }
    // "Error" when the process token could not be read.
    const std::wstring& UserSid() const { return m_userSid; }

  private:
    // The text of the message box that tells what is missing; empty when all is bound.
    std::wstring BindNtEntryPoints();
    bool GetUserSidText(std::wstring& sidText);
    // Operations check their entry points first: a failed binding never becomes a call
    // through a null slot.
    template <typename... F> bool Bound(F... entryPoints) {
        if ((... && (entryPoints != nullptr)))
            return true;
        m_status = kStatusEntryPointNotFound;
        return false;
    }

    std::wstring BuildNativePath(const std::wstring& path) const;
    // Names the key in m_keyName, with a terminating NUL when a key of that name exists: such
    // a twin is what the program opens, reads and deletes.
    void SetKeyName(const std::wstring& path);
    bool ProbeNulTerminatedKey(const std::wstring& path);
    DWORD GetValueType(const std::wstring& valueName);
    BOOL DeleteKeyTreeLowerCase(const std::wstring& lowerRoot, const std::wstring& lowerPath);

    ULONG m_status = kStatusSuccess;
    std::wstring m_userSid;
    std::wstring m_rootPath;
    std::wstring m_currentPath;
    UNICODE_STRING m_keyName = {}; // points into m_keyNameText
    std::wstring m_keyNameText;
    NtEntryPoints m_nt;
    NtEntryPointProvider& m_provider;
};
