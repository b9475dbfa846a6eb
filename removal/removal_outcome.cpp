#include "removal/removal_outcome.h"

#include <shlobj.h>

#include "framework/long_path.h"
#include "framework/unique_handle.h"
#include "removal/at_restart.h"
#include "removal/product_key.h"
#include "removal/shell_folder.h"

namespace {

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

// Sorts what is still there: gone at the next restart, or stayed.
struct Survey {
    const std::vector<std::wstring> pending = PendingDeletions();
    Leftovers found;

    void Count(const std::wstring& path) {
        // A logged file in the product folder is met twice: by the log and by the walk.
        for (const auto* seen : {&found.stayed, &found.atRestart})
            for (const std::wstring& other : *seen)
                if (SameName(other, path))
                    return;
        if (IsPending(pending, path))
            found.atRestart.push_back(path);
        else
            found.stayed.push_back(path);
    }
    // Files the removal should have deleted, and folders it should have removed (those that
    // hold no spared file), below folder.
    void Walk(const std::wstring& folder, bool& holdsSpared) {
        WIN32_FIND_DATAW entry;
        UniqueFindHandle find(FindFirstFileW((Extended(folder) + L"\\*").c_str(), &entry));
        if (!find)
            return;
        do {
            if (IsDotEntry(entry.cFileName))
                continue;
            const std::wstring path = folder + L"\\" + entry.cFileName;
            const bool link = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link) {
                bool subfolderHoldsSpared = false;
                Walk(path, subfolderHoldsSpared);
                if (subfolderHoldsSpared)
                    holdsSpared = true;
                else
                    Count(path);
            } else if (!link && IsSparedFile(path)) {
                holdsSpared = true;
            } else {
                Count(path);
            }
        } while (FindNextFileW(find.Get(), &entry));
    }
};

} // namespace

Leftovers LeftBehind(const RemovalJob& job) {
    Survey survey;
    const int count = LoggedEntryCount(job.log);
    for (int i = 0; i < count; ++i) {
        const LoggedFile file = LoggedEntry(job.log, i);
        const DWORD attributes = file.terminated ? Attributes(file.path) : INVALID_FILE_ATTRIBUTES;
        // A folder named in the log is the terminal's: the removal leaves it alone.
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            survey.Count(file.path);
    }

    bool holdsSpared = false;
    const std::wstring product = ResolveFolderBelow(InstallerProgramFiles(), job.productDir);
    if (product.empty())
        survey.found.stayed.push_back(L"the product folder \"" + job.productDir +
                                      L"\" (not below the Program Files folder)");
    else
        survey.Walk(product, holdsSpared);

    const std::wstring group =
        ResolveFolderBelow(ShellFolderPath(CSIDL_COMMON_PROGRAMS), job.menuGroup);
    if (group.empty()) {
        survey.found.stayed.push_back(L"the shortcut group \"" + job.menuGroup +
                                      L"\" (not below the Programs folder)");
    } else if (Attributes(group) != INVALID_FILE_ATTRIBUTES) {
        bool groupHoldsSpared = false;
        survey.Walk(group, groupHoldsSpared);
        survey.Count(group);
    }

    CNtRegistry& registry = job.registry;
    registry.Initialize();
    registry.SelectMachineRoot();
    if (registry.OpenKey(ProductKeyPath(), FALSE, FALSE))
        survey.found.stayed.push_back(L"HKEY_LOCAL_MACHINE\\" + ProductKeyPath());
    return survey.found;
}

int ExitCodeOf(const Leftovers& left) {
    return !left.stayed.empty()      ? kExitFailed
           : !left.atRestart.empty() ? kExitRemovedAtRestart
                                     : kExitRemoved;
}

int LogOutcome(RemovalLog& log, const Leftovers& left) {
    for (const std::wstring& thing : left.stayed)
        log.Line(L"Still there: " + thing);
    const int exitCode = ExitCodeOf(left);
    log.Line(ResultLine(exitCode));
    return exitCode;
}
