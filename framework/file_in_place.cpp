#include "framework/file_in_place.h"

#include <aclapi.h>
#include <sddl.h>

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

// The folder of full, held without delete sharing, so that neither it nor any folder above it
// can be renamed or replaced meanwhile; null unless it lies where full names it.
UniqueFileHandle HoldFolder(const std::wstring& full, bool linkedUserToo, DWORD& error) {
    const size_t seam = full.rfind(L'\\');
    if (full.empty() || seam == std::wstring::npos || seam + 1 == full.size()) {
        error = ERROR_INVALID_NAME;
        return {};
    }
    const std::wstring folderName = full.substr(0, full.find(L'\\') == seam ? seam + 1 : seam);
    UniqueFileHandle folder(CreateFileW(folderName.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
    if (!folder) {
        error = GetLastError();
        return {};
    }
    if (!LiesAt(folder.Get(), folderName, false) ||
        (linkedUserToo && !LinkedUserMay(folder.Get(), FILE_ADD_FILE)))
        return {};
    return folder;
}

UniqueFileHandle Emptied(UniqueFileHandle file, DWORD& error) {
    if (!SetEndOfFile(file.Get())) {
        error = GetLastError();
        return {};
    }
    error = ERROR_SUCCESS;
    return file;
}

bool IsAdministration(PSID sid) {
    return IsWellKnownSid(sid, WinLocalSystemSid) ||
           IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

// Owned by SYSTEM or the Administrators, and nobody else may write it or change its access list.
bool OnlyAdministrationMayWrite(HANDLE file) {
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const ACCESS_MASK writing = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER |
                                GENERIC_WRITE | GENERIC_ALL;
    // No list at all lets everybody in.
    bool only = owner && IsAdministration(owner) && list;
    for (DWORD i = 0; only && i < list->AceCount; ++i) {
        ACE_HEADER* entry = nullptr;
        only = GetAce(list, i, reinterpret_cast<void**>(&entry));
        if (!only || entry->AceType == ACCESS_DENIED_ACE_TYPE ||
            (entry->AceFlags & INHERIT_ONLY_ACE))
            continue;
        // An entry of any other kind may allow too: it is not looked into.
        const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(entry);
        only = entry->AceType == ACCESS_ALLOWED_ACE_TYPE &&
               (!(allowed->Mask & writing) ||
                IsAdministration(const_cast<DWORD*>(&allowed->SidStart)));
    }
    LocalFree(descriptor);
    return only;
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

UniqueFileHandle OpenToIdentify(const std::wstring& path) {
    return UniqueFileHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
}

UniqueFileHandle OpenOwnProgramFile() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    path.resize(length);
    return OpenToIdentify(path);
}

UniqueFileHandle CreateFileInPlace(const std::wstring& path, DWORD share, bool linkedUserToo,
                                   DWORD& error) {
    error = ERROR_ACCESS_DENIED;
    const std::wstring full = LongFullPath(path);
    const UniqueFileHandle folder = HoldFolder(full, linkedUserToo, error);
    if (!folder)
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
    return Emptied(std::move(file), error);
}

UniqueFileHandle CreateAdministrationFile(const std::wstring& path, DWORD share, DWORD& error) {
    error = ERROR_ACCESS_DENIED;
    const std::wstring full = LongFullPath(path);
    const UniqueFileHandle folder = HoldFolder(full, false, error);
    if (!folder)
        return {};
    const DWORD access = GENERIC_WRITE | DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES;
    UniqueFileHandle file(CreateFileW(full.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // One that refuses us is no file of ours; whether it may go is the folder's to say.
    if (!file && GetLastError() == ERROR_ACCESS_DENIED)
        file.Reset(CreateFileW(full.c_str(), DELETE | FILE_READ_ATTRIBUTES, share, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) {
        if (!LiesAt(file.Get(), full, true))
            return {};
        if (OnlyAdministrationMayWrite(file.Get()))
            return Emptied(std::move(file), error);
        if (!DeleteByHandle(file.Get())) {
            error = GetLastError();
            return {};
        }
        file.Reset(); // gone once closed
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = GetLastError();
        return {};
    }
    // A file somebody lays in its place meanwhile makes the creation fail: it is never used.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr)) {
        error = GetLastError();
        return {};
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    file.Reset(CreateFileW(full.c_str(), access, share, &attributes, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    error = file ? ERROR_SUCCESS : GetLastError();
    LocalFree(descriptor);
    return file;
}
