#include "removal/removal_engine.h"

#include <shlobj.h>

#include <utility>
#include <vector>

#include "framework/file_in_place.h"
#include "framework/long_path.h"
#include "framework/unique_handle.h"
#include "removal/at_restart.h"
#include "removal/product_key.h"
#include "removal/removal_log.h"
#include "removal/safe_delete.h"
#include "removal/shell_folder.h"

namespace {

void Report(FILE* diagnostics, const std::string& line) {
    fputs(line.c_str(), diagnostics);
    fflush(diagnostics);
}

// Drops trailing separators except the one of a drive root, which "C:" would turn relative.
std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return {};
    full.resize(length);
    while (full.size() > 1 && full.back() == L'\\' && full[full.size() - 2] != L':')
        full.pop_back();
    return full;
}

std::wstring Join(const std::wstring& folder, const wchar_t* name) {
    return folder.ends_with(L'\\') ? folder + name : folder + L"\\" + name;
}

// A step of only dots and spaces with two dots or more may be taken as "..".
bool IsParentStep(std::wstring_view step) {
    return step.find_first_not_of(L". ") == std::wstring_view::npos &&
           step.find(L"..") != std::wstring_view::npos;
}

bool IsPlainRelativeName(const std::wstring& name) {
    if (name.empty() || name.front() == L'\\' || name.front() == L'/' ||
        name.find(L':') != std::wstring::npos)
        return false;
    const std::wstring_view rest(name);
    for (size_t start = 0; start <= rest.size();) {
        const size_t end = std::min(rest.find_first_of(L"\\/", start), rest.size());
        if (IsParentStep(rest.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

bool IsLink(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Deletes a link through a handle on the link itself, and only once that handle shows the
// reparse point: where the platform follows the link anyway (Wine does with Unix symbolic
// links), deleting by name would remove or empty the target instead.
bool RemoveLink(const std::wstring& path) {
    UniqueFileHandle link(
        CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const DWORD attributes = link ? HandleAttributes(link.Get()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           DeleteByHandle(link.Get());
}

bool IsInUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Callers make sure that path lies where only administrators write.
bool RemoveAtRestart(const std::wstring& path, RemovalProgress& progress) {
    if (!DeleteAtRestart(path))
        return false;
    progress.Report(RemovalStep::kRemovedAtRestart, Plain(path));
    return true;
}

// One open directory search; entry is the next one to handle, if hasEntry.
struct Search {
    std::wstring folder;
    UniqueFindHandle find;
    WIN32_FIND_DATAW entry;
    bool hasEntry;
    bool blocked = false;   // something in it stays
    bool atRestart = false; // something in it goes only at the next restart
};

// Depth first in the order the platform lists entries. The open searches live on the heap,
// so no depth of folders can exhaust the worker's stack. A folder that only files in use
// keep goes at the next restart after them.
FolderFate DeleteTree(const std::wstring& top, RemovalProgress& progress, FILE* diagnostics) {
    std::vector<Search> open;
    auto enter = [&open](std::wstring folder) {
        Search& search = open.emplace_back();
        search.folder = std::move(folder);
        search.find.Reset(FindFirstFileExW(Join(search.folder, L"*.*").c_str(), FindExInfoBasic,
                                           &search.entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
        search.hasEntry = static_cast<bool>(search.find);
    };
    enter(top);
    while (true) {
        Search& search = open.back();
        if (!search.hasEntry) {
            const std::wstring finished = std::move(search.folder);
            const bool blocked = search.blocked, atRestart = search.atRestart;
            open.pop_back();
            if (open.empty())
                return blocked     ? FolderFate::kStays
                       : atRestart ? FolderFate::kAtRestart
                                   : FolderFate::kGone;
            if (RemoveDirectoryW(finished.c_str()))
                continue;
            if (!blocked && atRestart && RemoveAtRestart(finished, progress)) {
                open.back().atRestart = true;
            } else {
                Report(diagnostics, "Delete directory failed.\n");
                open.back().blocked = true;
            }
            continue;
        }
        const WIN32_FIND_DATAW entry = search.entry;
        search.hasEntry = FindNextFileW(search.find.Get(), &search.entry) != 0;
        if (IsDotEntry(entry.cFileName))
            continue;
        std::wstring path = Join(search.folder, entry.cFileName);
        const bool link = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!link) {
                enter(std::move(path)); // invalidates search
            } else if (!RemoveLink(path)) {
                Report(diagnostics, "Delete directory failed.\n");
                search.blocked = true;
            }
        } else if (IsSparedFile(path)) {
            search.blocked = true;
        } else if (link ? !RemoveLink(path) : !DeleteFileW(path.c_str())) {
            if (!link && IsInUse(GetLastError()) && RemoveAtRestart(path, progress)) {
                search.atRestart = true;
            } else {
                Report(diagnostics, "Delete file failed.\n");
                search.blocked = true;
            }
        }
    }
}

// One logged entry. A folder is the terminal's, never the product's; a file in use goes at
// the next restart where only administrators write.
void RemoveLoggedFile(const std::wstring& path, RemovalProgress& progress, FILE* diagnostics) {
    const DWORD error = DeleteFileNoLinks(path);
    if (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        Report(diagnostics,
               ToUtf8(L"Left in place (a folder named in the installation log): " + path + L"\n"));
    else if (IsInUse(error) && IsAdminOnlyPlace(path))
        RemoveAtRestart(path, progress);
}

void RemoveProductFolder(const RemovalJob& job, RemovalProgress& progress, FILE* diagnostics) {
    const std::wstring programFiles = InstallerProgramFiles();
    const std::wstring folder = ResolveFolderBelow(programFiles, job.productDir);
    if (folder.empty())
        Report(diagnostics, "Product folder skipped: not below the Program Files folder.\n");
    else
        DeleteFolderContents(folder, progress, diagnostics);
    // The folder itself stays: it still holds the uninstaller.
    progress.Report(RemovalStep::kRemoveFolder, programFiles + L"\\" + job.productDir);
}

void RemoveShortcutGroup(const RemovalJob& job, RemovalProgress& progress, FILE* diagnostics) {
    const std::wstring programs = ShellFolderPath(CSIDL_COMMON_PROGRAMS);
    const std::wstring folder = ResolveFolderBelow(programs, job.menuGroup);
    if (folder.empty()) {
        Report(diagnostics, "Shortcut group skipped: not below the Programs folder.\n");
    } else {
        const FolderFate contents = DeleteFolderContents(folder, progress, diagnostics);
        const std::wstring group = Extended(folder);
        // Scripts match the diagnostic below as it stands, "shoortcut" included.
        if (!RemoveDirectoryW(group.c_str()) &&
            !(contents == FolderFate::kAtRestart && RemoveAtRestart(group, progress)))
            Report(diagnostics, "Delete shoortcut directory failed.\n");
    }
    progress.Report(RemovalStep::kRemoveFolder, programs + L"\\" + job.menuGroup);
}

} // namespace

bool IsSparedFile(const std::wstring& path) {
    return path.ends_with(L"Uninstall.exe");
}

std::wstring ResolveFolderBelow(const std::wstring& parent, const std::wstring& name) {
    if (parent.empty() || !IsPlainRelativeName(name))
        return {};
    std::wstring base = FullPath(parent);
    std::wstring folder = FullPath(parent + L"\\" + name);
    if (base.empty() || folder.empty())
        return {};
    if (!base.ends_with(L'\\'))
        base += L'\\';
    if (folder.size() <= base.size() ||
        CompareStringOrdinal(folder.c_str(), static_cast<int>(base.size()), base.c_str(),
                             static_cast<int>(base.size()), TRUE) != CSTR_EQUAL)
        return {};
    // A link on the way would lead the walk out of the parent.
    for (size_t end = base.size() + 1; end <= folder.size(); ++end) {
        if ((end == folder.size() || folder[end] == L'\\') &&
            IsLink(Extended(folder.substr(0, end))))
            return {};
    }
    return folder;
}

FolderFate DeleteFolderContents(const std::wstring& folder, RemovalProgress& progress,
                                FILE* diagnostics) {
    const std::wstring full = FullPath(folder);
    if (full.empty())
        return FolderFate::kStays;
    const std::wstring top = Extended(full);
    // The contents of a linked folder belong to its target.
    if (IsLink(top))
        return FolderFate::kStays;
    return DeleteTree(top, progress, diagnostics);
}

BOOL UnregisterProduct(CNtRegistry& registry) {
    registry.Initialize();
    registry.SelectMachineRoot();
    registry.OpenKey(kUninstallKeyPath, TRUE, TRUE);
    return registry.DeleteKeyTree(ProductKeyPath());
}

void RunRemoval(const RemovalJob& job, RemovalProgress& progress, FILE* diagnostics) {
    progress.ClearList();
    const int count = LoggedEntryCount(job.log);
    for (int i = 0; i < count; ++i) {
        const LoggedFile file = LoggedEntry(job.log, i);
        progress.Report(RemovalStep::kDeleteFile, file.path);
        if (file.terminated)
            RemoveLoggedFile(file.path, progress, diagnostics);
        progress.StepProgress();
    }
    RemoveProductFolder(job, progress, diagnostics);
    RemoveShortcutGroup(job, progress, diagnostics);
    UnregisterProduct(job.registry);
    progress.Report(RemovalStep::kUnregister);
}
