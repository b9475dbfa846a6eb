#include "removal/removal_outcome.h"

#include <shlobj.h>

#include "framework/unique_handle.h"
#include "removal/product_key.h"
#include "removal/shell_folder.h"

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Files the removal should have deleted, and folders it should have removed (those that
// hold no spared file), below folder.
void Remaining(const std::wstring& folder, std::vector<std::wstring>& left, bool& holdsSpared) {
    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &entry));
    if (!find)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        const bool link = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link) {
            bool subfolderHoldsSpared = false;
            Remaining(path, left, subfolderHoldsSpared);
            if (subfolderHoldsSpared)
                holdsSpared = true;
            else
                left.push_back(path);
        } else if (!link && IsSparedFile(path)) {
            holdsSpared = true;
        } else {
            left.push_back(path);
        }
    } while (FindNextFileW(find.Get(), &entry));
}

} // namespace

std::vector<std::wstring> LeftBehind(const RemovalJob& job) {
    std::vector<std::wstring> left;
    const int count = LoggedEntryCount(job.log);
    for (int i = 0; i < count; ++i) {
        const LoggedFile file = LoggedEntry(job.log, i);
        if (file.terminated && Exists(file.path))
            left.push_back(file.path);
    }

    const std::wstring product =
        ResolveFolderBelow(InstallerProgramFiles(), job.productDir);
    if (product.empty()) {
        left.push_back(L"the product folder \"" + job.productDir +
                       L"\" (not below the Program Files folder)");
    } else {
        bool holdsSpared = false;
        Remaining(product, left, holdsSpared);
    }

    const std::wstring group =
        ResolveFolderBelow(ShellFolderPath(CSIDL_COMMON_PROGRAMS), job.menuGroup);
    if (group.empty())
        left.push_back(L"the shortcut group \"" + job.menuGroup +
                       L"\" (not below the Programs folder)");
    else if (Exists(group))
        left.push_back(group);

    CNtRegistry& registry = job.registry;
    registry.Initialize();
    registry.SelectMachineRoot();
    if (registry.OpenKey(ProductKeyPath(), FALSE, FALSE))
        left.push_back(L"HKEY_LOCAL_MACHINE\\" + ProductKeyPath());
    return left;
}

std::wstring ResultLine(int exitCode) {
    const wchar_t* meaning = L"unknown";
    switch (exitCode) {
    case kExitRemoved:
        meaning = L"success: the product was removed";
        break;
    case kExitFailed:
        meaning = L"failure: parts of the product stayed";
        break;
    case kExitNotInstalled:
        meaning = L"failure: the product is not installed";
        break;
    case kExitRetryLater:
        meaning = L"retry later: a MetaTrader terminal (terminal.exe) is running";
        break;
    case kExitBadArgument:
        meaning = L"failure: an argument was not understood";
        break;
    }
    return L"Result: " + std::to_wstring(exitCode) + L" (" + meaning + L")";
}

int LogOutcome(RemovalLog& log, const RemovalJob& job) {
    const std::vector<std::wstring> left = LeftBehind(job);
    for (const std::wstring& thing : left)
        log.Line(L"Still there: " + thing);
    const int exitCode = left.empty() ? kExitRemoved : kExitFailed;
    log.Line(ResultLine(exitCode));
    return exitCode;
}
