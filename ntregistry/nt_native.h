// Native registry records and ntdll entry-point signatures that MinGW's headers leave out, and
// the list of ntdll routines CNtRegistry binds.
#pragma once

#include <windows.h>
#include <winternl.h>

// Statuses kept as the unsigned value CNtRegistry stores in m_status.
inline constexpr ULONG kStatusSuccess = 0x00000000;
inline constexpr ULONG kStatusBufferOverflow = 0x80000005;
inline constexpr ULONG kStatusEntryPointNotFound = 0xC0000139;

inline constexpr ULONG kKeyBasicInformation = 0;
inline constexpr ULONG kKeyValueFullInformation = 1;
inline constexpr ULONG kKeyValuePartialInformation = 2;

struct NtKeyBasicInformation {
    LARGE_INTEGER LastWriteTime;
    ULONG TitleIndex;
    ULONG NameLength; // bytes, no terminating NUL
    WCHAR Name[1];
};

struct NtKeyValueFullInformation {
    ULONG TitleIndex;
    ULONG Type;
    ULONG DataOffset; // from the start of the record
    ULONG DataLength;
    ULONG NameLength;
    WCHAR Name[1];
};

struct NtKeyValuePartialInformation {
    ULONG TitleIndex;
    ULONG Type;
    ULONG DataLength;
    UCHAR Data[1];
};

using NtCreateKeyFn = NTSTATUS(NTAPI*)(PHANDLE key, ACCESS_MASK access,
                                       POBJECT_ATTRIBUTES attributes, ULONG titleIndex,
                                       PUNICODE_STRING keyClass, ULONG createOptions,
                                       PULONG disposition);
using NtOpenKeyFn = NTSTATUS(NTAPI*)(PHANDLE key, ACCESS_MASK access,
                                     POBJECT_ATTRIBUTES attributes);
using NtKeyFn = NTSTATUS(NTAPI*)(HANDLE key); // NtDeleteKey, NtClose
using NtEnumerateKeyFn = NTSTATUS(NTAPI*)(HANDLE key, ULONG index, ULONG infoClass, PVOID info,
                                          ULONG length, PULONG resultLength);
using NtQueryValueKeyFn = NTSTATUS(NTAPI*)(HANDLE key, PUNICODE_STRING name, ULONG infoClass,
                                           PVOID info, ULONG length, PULONG resultLength);
using NtOpenProcessTokenFn = NTSTATUS(NTAPI*)(HANDLE process, ACCESS_MASK access, PHANDLE token);
using NtQueryInformationTokenFn = NTSTATUS(NTAPI*)(HANDLE token, TOKEN_INFORMATION_CLASS infoClass,
                                                   PVOID info, ULONG length, PULONG returnLength);
using RtlInitUnicodeStringFn = VOID(NTAPI*)(PUNICODE_STRING destination, PCWSTR source);
using RtlAllocateHeapFn = PVOID(NTAPI*)(PVOID heap, ULONG flags, SIZE_T size);
using RtlFreeHeapFn = BOOLEAN(NTAPI*)(PVOID heap, ULONG flags, PVOID block);

// X(name, slot type, required), in lookup order. The first required one missing ends the
// binding, so the required ones come first. Routines typed FARPROC are never called, yet an
// ntdll without them is refused: it is not one of the systems the binding was made for.
#define CORVINA_NT_ENTRY_POINTS(X)                                                                 \
    X(NtOpenThread, FARPROC, true)                                                                 \
    X(NtCreateKey, NtCreateKeyFn, true)                                                            \
    X(NtOpenKey, NtOpenKeyFn, true)                                                                \
    X(NtFlushKey, FARPROC, true)                                                                   \
    X(NtDeleteKey, NtKeyFn, true)                                                                  \
    X(NtQueryKey, FARPROC, true)                                                                   \
    X(NtEnumerateKey, NtEnumerateKeyFn, true)                                                      \
    X(NtClose, NtKeyFn, true)                                                                      \
    X(NtSetValueKey, FARPROC, true)                                                                \
    X(NtSetInformationKey, FARPROC, true)                                                          \
    X(NtQueryValueKey, NtQueryValueKeyFn, true)                                                    \
    X(NtEnumerateValueKey, FARPROC, true)                                                          \
    X(NtDeleteValueKey, FARPROC, true)                                                             \
    X(NtRenameKey, FARPROC, true)                                                                  \
    X(NtQueryMultipleValueKey, FARPROC, true)                                                      \
    X(NtNotifyChangeKey, FARPROC, true)                                                            \
    X(NtCreateFile, FARPROC, true)                                                                 \
    X(NtOpenProcessToken, NtOpenProcessTokenFn, true)                                              \
    X(NtAdjustPrivilegesToken, FARPROC, true)                                                      \
    X(NtQueryInformationToken, NtQueryInformationTokenFn, true)                                    \
    X(RtlAllocateHeap, RtlAllocateHeapFn, true)                                                    \
    X(RtlFreeHeap, RtlFreeHeapFn, true)                                                            \
    X(NtRestoreKey, FARPROC, true)                                                                 \
    X(NtSaveKey, FARPROC, true)                                                                    \
    X(NtLoadKey, FARPROC, true)                                                                    \
    X(NtLoadKey2, FARPROC, true)                                                                   \
    X(NtReplaceKey, FARPROC, true)                                                                 \
    X(NtUnloadKey, FARPROC, true)                                                                  \
    X(RtlInitString, FARPROC, false)                                                               \
    X(RtlInitAnsiString, FARPROC, false)                                                           \
    X(RtlInitUnicodeString, RtlInitUnicodeStringFn, false)                                         \
    X(RtlAnsiStringToUnicodeString, FARPROC, false)                                                \
    X(RtlUnicodeStringToAnsiString, FARPROC, false)                                                \
    X(RtlFreeString, FARPROC, false)                                                               \
    X(RtlFreeAnsiString, FARPROC, false)                                                           \
    X(RtlFreeUnicodeString, FARPROC, false)

// One slot per routine; null until bound.
struct NtEntryPoints {
#define CORVINA_NT_SLOT(name, type, required) type name = nullptr;
    CORVINA_NT_ENTRY_POINTS(CORVINA_NT_SLOT)
#undef CORVINA_NT_SLOT
};
