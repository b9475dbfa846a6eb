// Where the elevated removal may go: the machine's folders the product lies below, the product
// folder and the shortcut group resolved below them by handles, what the removal spares, and
// what may wait for the next restart.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <string>
#include <string_view>
#include <vector>

#include "framework/unique_handle.h"

// The machine's folders, read from its own settings in HKEY_LOCAL_MACHINE and expanded with the
// system's environment: the process's comes from the user's own settings (HKCU\Environment),
// which any program of that user can change without elevation. Empty where unreadable.
struct MachineRoots {
    std::wstring installerFiles;            // the 32-bit installer's Program Files folder
    std::wstring programs;                  // the all-users Programs folder of the Start menu
    std::vector<std::wstring> programFiles; // every Program Files folder, the installer's first
};
const MachineRoots& Roots();

// A folder of the product below a root: a plain relative name, each step opened below its
// parent's handle, none a link, and each reached where it is named.
struct Place {
    enum State { kRefused, kAbsent, kOpen } state = kRefused;
    std::wstring path;       // root\name as the registration spells it, for the list
    UniqueFileHandle folder; // listable and deletable, when open
    std::wstring final;      // the folder's final path, when open
};
Place ResolvePlace(const std::wstring& root, const std::wstring& name);

// A file the removal leaves where it is: its name ends in "Uninstall.exe", case and all.
bool IsSparedName(std::wstring_view name);

inline constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
inline constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003A);
inline constexpr NTSTATUS kStatusSharingViolation = static_cast<NTSTATUS>(0xC0000043);
inline constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);

// Opens name below folder, never following a link at its place; a status of ntdll.
NTSTATUS OpenBelow(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options,
                   UniqueFileHandle& opened);
// The system's code for a status of OpenBelow.
DWORD ErrorOf(NTSTATUS status);

// True when what handle reaches is parent\name, parentFinal a final path on a drive: where the
// platform opens what a link leads to (Wine does with Unix links), the path differs.
bool IsReachedAs(HANDLE handle, const std::wstring& parentFinal, std::wstring_view name);

// Only what lies in a folder of the product, or is one, waits for a restart: anywhere else a
// link laid before the restart could turn the system's deletion onto another file. True when
// what handle reaches is place's folder or lies below it.
bool MayWaitForRestart(HANDLE handle, const Place& place);

// Asks the system to delete what handle reaches, by its final path, at the next restart
// (files before the folders that hold them, in the order asked). The plain path, or empty.
std::wstring ScheduleAtRestart(HANDLE handle);
