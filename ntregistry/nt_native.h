// Native registry records and ntdll entry-point signatures that MinGW's headers leave out.
#pragma once

#include <windows.h>
#include <winternl.h>

// Statuses kept as the unsigned value CNtRegistry stores in m_status.
inline constexpr ULONG kStatusSuccess = 0x00000000;
inline constexpr ULONG kStatusBufferOverflow = 0x80000005;
inline constexpr ULONG kStatusNoMoreEntries = 0x8000001A;
inline constexpr ULONG kStatusBufferTooSmall = 0xC0000023;
inline constexpr ULONG kStatusObjectNameNotFound = 0xC0000034;
inline constexpr ULONG kStatusEntryPointNotFound = 0xC0000139;

inline constexpr ULONG kKeyBasicInformation = 0;
inline constexpr ULONG kKeyNameInformation = 3;
inline constexpr ULONG kKeyValueFullInformation = 1;
inline constexpr ULONG kKeyValuePartialInformation = 2;

struct NtKeyBasicInformation {
    LARGE_INTEGER LastWriteTime;
    ULONG TitleIndex;
    ULONG NameLength; // bytes, no terminating NUL
    WCHAR Name[1];
};

struct NtKeyNameInformation {
    ULONG NameLength;
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
using NtKeyFn = NTSTATUS(NTAPI*)(HANDLE key); // NtDeleteKey, NtFlushKey, NtClose
using NtQueryKeyFn = NTSTATUS(NTAPI*)(HANDLE key, ULONG infoClass, PVOID info, ULONG length,
                                      PULONG resultLength);
using NtEnumerateKeyFn = NTSTATUS(NTAPI*)(HANDLE key, ULONG index, ULONG infoClass, PVOID info,
                                          ULONG length, PULONG resultLength);
using NtSetValueKeyFn = NTSTATUS(NTAPI*)(HANDLE key, PUNICODE_STRING name, ULONG titleIndex,
                                         ULONG type, PVOID data, ULONG dataSize);
using NtSetInformationKeyFn = NTSTATUS(NTAPI*)(HANDLE key, ULONG infoClass, PVOID info,
                                               ULONG length);
using NtQueryValueKeyFn = NTSTATUS(NTAPI*)(HANDLE key, PUNICODE_STRING name, ULONG infoClass,
                                           PVOID info, ULONG length, PULONG resultLength);
using NtEnumerateValueKeyFn = NTSTATUS(NTAPI*)(HANDLE key, ULONG index, ULONG infoClass, PVOID info,
                                               ULONG length, PULONG resultLength);
using NtDeleteValueKeyFn = NTSTATUS(NTAPI*)(HANDLE key, PUNICODE_STRING name);
using NtQueryMultipleValueKeyFn = NTSTATUS(NTAPI*)(HANDLE key, PVOID entries, ULONG count,
                                                   PVOID buffer, PULONG length, PULONG required);
using NtRenameKeyFn = NTSTATUS(NTAPI*)(HANDLE key, PUNICODE_STRING newName);
using NtSaveKeyFn = NTSTATUS(NTAPI*)(HANDLE key, HANDLE file);
using NtRestoreKeyFn = NTSTATUS(NTAPI*)(HANDLE key, HANDLE file, ULONG flags);
using NtLoadKeyFn = NTSTATUS(NTAPI*)(POBJECT_ATTRIBUTES target, POBJECT_ATTRIBUTES file);
using NtLoadKey2Fn = NTSTATUS(NTAPI*)(POBJECT_ATTRIBUTES target, POBJECT_ATTRIBUTES file,
                                      ULONG flags);
using NtReplaceKeyFn = NTSTATUS(NTAPI*)(POBJECT_ATTRIBUTES newFile, HANDLE key,
                                        POBJECT_ATTRIBUTES oldFile);
using NtUnloadKeyFn = NTSTATUS(NTAPI*)(POBJECT_ATTRIBUTES target);
using NtNotifyChangeKeyFn = NTSTATUS(NTAPI*)(HANDLE key, HANDLE event, PIO_APC_ROUTINE apc,
                                             PVOID apcContext, PIO_STATUS_BLOCK ioStatus,
                                             ULONG filter, BOOLEAN subtree, PVOID buffer,
                                             ULONG length, BOOLEAN async);
using NtOpenThreadFn = NTSTATUS(NTAPI*)(PHANDLE thread, ACCESS_MASK access,
                                        POBJECT_ATTRIBUTES attributes, CLIENT_ID* clientId);
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE file, ACCESS_MASK access,
                                        POBJECT_ATTRIBUTES attributes, PIO_STATUS_BLOCK ioStatus,
                                        PLARGE_INTEGER allocationSize, ULONG fileAttributes,
                                        ULONG shareAccess, ULONG disposition, ULONG options,
                                        PVOID eaBuffer, ULONG eaLength);
using NtOpenProcessTokenFn = NTSTATUS(NTAPI*)(HANDLE process, ACCESS_MASK access, PHANDLE token);
using NtAdjustPrivilegesTokenFn = NTSTATUS(NTAPI*)(HANDLE token, BOOLEAN disableAll,
                                                   PTOKEN_PRIVILEGES newState, ULONG length,
                                                   PTOKEN_PRIVILEGES previousState,
                                                   PULONG returnLength);
using NtQueryInformationTokenFn = NTSTATUS(NTAPI*)(HANDLE token, TOKEN_INFORMATION_CLASS infoClass,
                                                   PVOID info, ULONG length, PULONG returnLength);
using RtlInitStringFn = VOID(NTAPI*)(PSTRING destination, PCSZ source); // also the Ansi form
using RtlInitUnicodeStringFn = VOID(NTAPI*)(PUNICODE_STRING destination, PCWSTR source);
using RtlAnsiStringToUnicodeStringFn = NTSTATUS(NTAPI*)(PUNICODE_STRING destination,
                                                        PCANSI_STRING source, BOOLEAN allocate);
using RtlUnicodeStringToAnsiStringFn = NTSTATUS(NTAPI*)(PANSI_STRING destination,
                                                        PCUNICODE_STRING source, BOOLEAN allocate);
using RtlFreeStringFn = VOID(NTAPI*)(PSTRING string); // also the Ansi form
using RtlFreeUnicodeStringFn = VOID(NTAPI*)(PUNICODE_STRING string);
using RtlAllocateHeapFn = PVOID(NTAPI*)(PVOID heap, ULONG flags, SIZE_T size);
using RtlFreeHeapFn = BOOLEAN(NTAPI*)(PVOID heap, ULONG flags, PVOID block);

// One slot per ntdll routine the class binds; null until bound.
struct NtEntryPoints {
    NtCreateKeyFn NtCreateKey = nullptr;
    NtOpenKeyFn NtOpenKey = nullptr;
    NtKeyFn NtDeleteKey = nullptr;
    NtKeyFn NtFlushKey = nullptr;
    NtQueryKeyFn NtQueryKey = nullptr;
    NtEnumerateKeyFn NtEnumerateKey = nullptr;
    NtSetValueKeyFn NtSetValueKey = nullptr;
    NtSetInformationKeyFn NtSetInformationKey = nullptr;
    NtQueryValueKeyFn NtQueryValueKey = nullptr;
    NtEnumerateValueKeyFn NtEnumerateValueKey = nullptr;
    NtDeleteValueKeyFn NtDeleteValueKey = nullptr;
    NtQueryMultipleValueKeyFn NtQueryMultipleValueKey = nullptr;
    NtRenameKeyFn NtRenameKey = nullptr;
    NtSaveKeyFn NtSaveKey = nullptr;
    NtRestoreKeyFn NtRestoreKey = nullptr;
    NtLoadKeyFn NtLoadKey = nullptr;
    NtLoadKey2Fn NtLoadKey2 = nullptr;
    NtReplaceKeyFn NtReplaceKey = nullptr;
    NtUnloadKeyFn NtUnloadKey = nullptr;
    NtKeyFn NtClose = nullptr;
    NtNotifyChangeKeyFn NtNotifyChangeKey = nullptr;
    NtOpenThreadFn NtOpenThread = nullptr;
    NtCreateFileFn NtCreateFile = nullptr;
    NtOpenProcessTokenFn NtOpenProcessToken = nullptr;
    NtAdjustPrivilegesTokenFn NtAdjustPrivilegesToken = nullptr;
    NtQueryInformationTokenFn NtQueryInformationToken = nullptr;
    RtlInitStringFn RtlInitString = nullptr;
    RtlInitStringFn RtlInitAnsiString = nullptr;
    RtlInitUnicodeStringFn RtlInitUnicodeString = nullptr;
    RtlAnsiStringToUnicodeStringFn RtlAnsiStringToUnicodeString = nullptr;
    RtlUnicodeStringToAnsiStringFn RtlUnicodeStringToAnsiString = nullptr;
    RtlFreeStringFn RtlFreeString = nullptr;
    RtlFreeStringFn RtlFreeAnsiString = nullptr;
    RtlFreeUnicodeStringFn RtlFreeUnicodeString = nullptr;
    RtlAllocateHeapFn RtlAllocateHeap = nullptr;
    RtlFreeHeapFn RtlFreeHeap = nullptr;
};
static_assert(sizeof(NtEntryPoints) == 36 * sizeof(void*));
