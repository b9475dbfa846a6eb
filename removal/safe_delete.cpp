#include "removal/safe_delete.h"

#include <winternl.h>

#include <algorithm>
#include <string_view>

#include "framework/file_in_place.h"
#include "framework/linked_user.h"
#include "framework/long_path.h"
#include "framework/unique_handle.h"
#include "removal/places.h"

namespace {

// "X:\" and more, with no second colon: no relative path, no network or device path, no stream
// of a file.
bool IsOnADrive(std::wstring_view path) {
    return path.size() > 3 &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && path[2] == L'\\' && path.find(L':', 2) == std::wstring_view::npos;
}

// Only administrators can lay links below Program Files; elsewhere the user may have.
bool BelowProgramFiles(const std::wstring& full) {
    const std::vector<std::wstring>& folders = Roots().programFiles;
    return std::any_of(folders.begin(), folders.end(),
                       [&](const std::wstring& folder) { return LiesBelow(full, folder); });
}

} // namespace

DWORD DeleteFileNoLinks(const std::wstring& path) {
    if (!IsOnADrive(path))
        return ERROR_INVALID_NAME;
    const std::wstring full = LongFullPath(path);
    if (!IsOnADrive(full) || full.ends_with(L'\\'))
        return ERROR_INVALID_NAME;
    // A drive that is another folder (subst) or a share names a place other than its spelling.
    const std::wstring drive = L"\\\\?\\" + full.substr(0, 3);
    UniqueFileHandle folder(CreateFileW(drive.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    if (!folder)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : GetLastError();
    std::wstring place = FinalPath(folder.Get());
    if (!SameName(place, drive))
        return ERROR_INVALID_NAME;
    std::wstring_view rest = std::wstring_view(full).substr(3);
    for (size_t seam; (seam = rest.find(L'\\')) != std::wstring_view::npos;
         rest.remove_prefix(seam + 1)) {
        if (seam == 0)
            continue;
        const std::wstring_view step = rest.substr(0, seam);
        UniqueFileHandle next;
        const NTSTATUS status =
            OpenBelow(folder.Get(), step, FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL,
                      FILE_DIRECTORY_FILE, next);
        if (status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound ||
            status == kStatusNotADirectory)
            return ERROR_PATH_NOT_FOUND;
        if (!NT_SUCCESS(status))
            return ErrorOf(status);
        if ((HandleAttributes(next.Get()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
            !IsReachedAs(next.Get(), place, step))
            return kErrorReparsePointEncountered;
        place += (place.ends_with(L'\\') ? L"" : L"\\") + std::wstring(step);
        folder = std::move(next);
    }
    UniqueFileHandle file;
    const NTSTATUS status =
        OpenBelow(folder.Get(), rest, DELETE | FILE_READ_ATTRIBUTES | READ_CONTROL, 0, file);
    if (!NT_SUCCESS(status))
        return ErrorOf(status);
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
