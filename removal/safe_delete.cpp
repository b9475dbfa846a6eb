#include "removal/safe_delete.h"

#include <winternl.h>

#include <algorithm>
#include <string_view>

#include "framework/file_in_place.h"
#include "framework/linked_user.h"
#include "framework/long_path.h"
#include "framework/unique_handle.h"
#include "removal/shell_folder.h"

namespace {

constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);

using NtOpenFileFn = NTSTATUS(NTAPI*)(PHANDLE file, ACCESS_MASK access,
                                      POBJECT_ATTRIBUTES attributes, PIO_STATUS_BLOCK io,
                                      ULONG share, ULONG options);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS status);

struct NtFileRoutines {
    NtOpenFileFn open;
    RtlNtStatusToDosErrorFn toError;
};

template <typename Fn> Fn Bind(HMODULE ntdll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, name)));
}

const NtFileRoutines& Nt() {
    static const NtFileRoutines routines = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return NtFileRoutines{Bind<NtOpenFileFn>(ntdll, "NtOpenFile"),
                              Bind<RtlNtStatusToDosErrorFn>(ntdll, "RtlNtStatusToDosError")};
    }();
    return routines;
}

// Opens one step of a path below folder; a link there is opened itself, never followed.
NTSTATUS OpenBelow(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options,
                   UniqueFileHandle& opened) {
    const USHORT bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    UNICODE_STRING text{bytes, bytes, const_cast<PWSTR>(name.data())};
    // By name: 64-bit headers pad the record with fields of their own.
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = folder;
    attributes.ObjectName = &text;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status =
        Nt().open(&handle, access | SYNCHRONIZE, &attributes, &io,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT);
    opened.Reset(NT_SUCCESS(status) ? handle : nullptr);
    return status;
}

// Where the platform shows a link as what it leads to (Wine does with Unix links), the final
// path of what was opened tells: it is not the path walked.
bool IsReachedAs(HANDLE handle, std::wstring& place, std::wstring_view name) {
    if (!place.ends_with(L'\\'))
        place += L'\\';
    place += name;
    return SameName(FinalPath(handle), place);
}

// The path's root, "\\?\C:\" or "\\?\UNC\server\share\", and the rest; no root for other forms.
std::pair<std::wstring, std::wstring_view> SplitRoot(const std::wstring& full) {
    constexpr size_t npos = std::wstring_view::npos;
    std::wstring_view rest(full);
    bool unc = false;
    if (rest.starts_with(L"\\\\?\\UNC\\")) {
        rest.remove_prefix(8);
        unc = true;
    } else if (rest.starts_with(L"\\\\?\\")) {
        rest.remove_prefix(4);
    } else if (rest.starts_with(L"\\\\")) {
        rest.remove_prefix(2);
        unc = !rest.starts_with(L".\\"); // a device path, refused below
    }
    if (unc) {
        const size_t server = rest.find(L'\\');
        const size_t end = server == npos || server == 0 ? npos : rest.find(L'\\', server + 1);
        if (end == npos || end == server + 1)
            return {};
        return {L"\\\\?\\UNC\\" + std::wstring(rest.substr(0, end + 1)), rest.substr(end + 1)};
    }
    if (rest.size() < 3 || rest[1] != L':' || rest[2] != L'\\')
        return {};
    return {L"\\\\?\\" + std::wstring(rest.substr(0, 3)), rest.substr(3)};
}

// Only administrators can lay links below Program Files; elsewhere the user may have.
bool BelowProgramFiles(const std::wstring& full) {
    static const std::vector<std::wstring> folders = ProgramFilesFolders();
    return std::any_of(folders.begin(), folders.end(),
                       [&](const std::wstring& folder) { return LiesBelow(full, folder); });
}

} // namespace

DWORD DeleteFileNoLinks(const std::wstring& path) {
    if (!Nt().open || !Nt().toError)
        return ERROR_PROC_NOT_FOUND;
    const std::wstring full = LongFullPath(path);
    auto [root, rest] = SplitRoot(full);
    if (root.empty() || rest.empty() || rest.ends_with(L'\\'))
        return ERROR_INVALID_NAME;
    UniqueFileHandle folder(CreateFileW(root.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    if (!folder)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : GetLastError();
    std::wstring place = FinalPath(folder.Get());
    if (place.empty())
        return GetLastError();
    for (size_t seam; (seam = rest.find(L'\\')) != std::wstring_view::npos;
         rest.remove_prefix(seam + 1)) {
        if (seam == 0)
            continue;
        UniqueFileHandle next;
        const NTSTATUS status = OpenBelow(folder.Get(), rest.substr(0, seam),
                                          FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                          FILE_DIRECTORY_FILE, next);
        if (status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound ||
            status == kStatusNotADirectory)
            return ERROR_PATH_NOT_FOUND;
        if (!NT_SUCCESS(status))
            return Nt().toError(status);
        if ((HandleAttributes(next.Get()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
            !IsReachedAs(next.Get(), place, rest.substr(0, seam)))
            return kErrorReparsePointEncountered;
        folder = std::move(next);
    }
    UniqueFileHandle file;
    const NTSTATUS status =
        OpenBelow(folder.Get(), rest, DELETE | FILE_READ_ATTRIBUTES | READ_CONTROL, 0, file);
    if (!NT_SUCCESS(status))
        return Nt().toError(status);
    const DWORD attributes = HandleAttributes(file.Get());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return kErrorReparsePointEncountered;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return kErrorDirectoryNotSupported;
    if (!IsReachedAs(file.Get(), place, rest))
        return kErrorReparsePointEncountered;
    // The user may delete the file itself, or anything in its folder.
    if (!BelowProgramFiles(full) && !LinkedUserMay(file.Get(), DELETE) &&
        !LinkedUserMay(folder.Get(), FILE_DELETE_CHILD))
        return ERROR_ACCESS_DENIED;
    return DeleteByHandle(file.Get()) ? ERROR_SUCCESS : GetLastError();
}
