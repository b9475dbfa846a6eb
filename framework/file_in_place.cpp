#include "framework/file_in_place.h"

#include "framework/linked_user.h"
#include "framework/long_path.h"

namespace {

// A path from a call that, given too small a buffer, tells the size it needs.
std::wstring WithSize(DWORD (*fill)(const std::wstring&, wchar_t*, DWORD),
                      const std::wstring& from) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = fill(from, text.data(), static_cast<DWORD>(text.size()));
    if (length >= text.size()) {
        text.resize(length);
        length = fill(from, text.data(), length);
    }
    text.resize(length < text.size() ? length : 0);
    return text;
}

bool IsReparsePoint(HANDLE handle) {
    const DWORD attributes = HandleAttributes(handle);
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// What the handle reaches is what path names: no link at its place, none above it (the final
// path would differ), and for a file no other name (a hard link).
bool LiesAt(HANDLE handle, const std::wstring& path, bool file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return !IsReparsePoint(handle) && GetFileInformationByHandle(handle, &info) &&
           (file ? info.nNumberOfLinks == 1 && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                 : (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) &&
           SameName(FinalPath(handle), Extended(LongFullPath(path)));
}

} // namespace

DWORD HandleAttributes(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)
               ? tag.FileAttributes
               : INVALID_FILE_ATTRIBUTES;
}

bool DeleteByHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO dispose{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &dispose, sizeof dispose);
}

std::wstring LongFullPath(const std::wstring& path) {
    const std::wstring full =
        WithSize([](const std::wstring& from, wchar_t* to,
                    DWORD size) { return GetFullPathNameW(from.c_str(), size, to, nullptr); },
                 path);
    const std::wstring longForm =
        full.empty() ? full
                     : WithSize([](const std::wstring& from, wchar_t* to,
                                   DWORD size) { return GetLongPathNameW(from.c_str(), to, size); },
                                full);
    return longForm.empty() ? full : longForm;
}

std::wstring FinalPath(HANDLE handle) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, text.data(), MAX_PATH, FILE_NAME_NORMALIZED);
    if (length >= MAX_PATH) {
        text.resize(length);
        length = GetFinalPathNameByHandleW(handle, text.data(), length, FILE_NAME_NORMALIZED);
    }
    text.resize(length < text.size() ? length : 0);
    return text;
}

UniqueFileHandle CreateFileInPlace(const std::wstring& path, DWORD share, bool linkedUserToo,
                                   DWORD& error) {
    error = ERROR_ACCESS_DENIED;
    const std::wstring full = LongFullPath(path);
    const size_t seam = full.rfind(L'\\');
    if (full.empty() || seam == std::wstring::npos || seam + 1 == full.size()) {
        error = ERROR_INVALID_NAME;
        return {};
    }
    // Held without delete sharing, the folder can be neither renamed nor replaced meanwhile,
    // and neither can any folder above it.
    const std::wstring folderName = full.substr(0, full.find(L'\\') == seam ? seam + 1 : seam);
    const UniqueFileHandle folder(
        CreateFileW(folderName.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) {
        error = GetLastError();
        return {};
    }
    if (!LiesAt(folder.Get(), folderName, false) ||
        (linkedUserToo && !LinkedUserMay(folder.Get(), FILE_ADD_FILE)))
        return {};
    // Opened, never truncated at open: a link or a second name found below must stay as it was.
    UniqueFileHandle file(CreateFileW(
        full.c_str(), GENERIC_WRITE | DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES, share, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        error = GetLastError();
        return {};
    }
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (!LiesAt(file.Get(), full, true) ||
        (linkedUserToo && !created && !LinkedUserMay(file.Get(), FILE_WRITE_DATA))) {
        if (created)
            DeleteByHandle(file.Get());
        return {};
    }
    if (!SetEndOfFile(file.Get())) {
        error = GetLastError();
        return {};
    }
    error = ERROR_SUCCESS;
    return file;
}
