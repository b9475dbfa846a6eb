#include "removal/removal_engine.h"

#include "framework/file_in_place.h"
#include "removal/folder_walk.h"
#include "removal/places.h"
#include "removal/product_key.h"
#include "removal/safe_delete.h"

namespace {

// The walk's findings as the list and the diagnostics have them.
class ProgressReport : public WalkReport {
  public:
    explicit ProgressReport(RemovalProgress& progress) : m_progress(progress) {}
    void Failed(const std::wstring& line) override { m_progress.Diagnostic(line); }
    void AtRestart(const std::wstring& path) override {
        m_progress.Report(RemovalStep::kRemovedAtRestart, path);
    }
    void StillThere(const std::wstring&) override {}

  private:
    RemovalProgress& m_progress;
};

// One logged entry. A folder is the terminal's, never the product's; a file in use stays, for
// the log names places the user may lay links in before a restart.
void RemoveLoggedFile(const std::wstring& path, RemovalProgress& progress) {
    const DWORD error = DeleteFileNoLinks(path);
    if (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return;
    // Only for the message: a link to a folder is told as one too.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        progress.Diagnostic(L"Left in place (a folder named in the installation log): " + path);
}

void RemoveProductFolder(const RemovalJob& job, RemovalProgress& progress) {
    const Place product = ResolvePlace(Roots().installerFiles, job.productDir);
    if (product.state == Place::kRefused)
        progress.Diagnostic(L"Product folder skipped: not below the Program Files folder.");
    ProgressReport report(progress);
    EmptyFolder(product, report);
    // The folder itself stays: it still holds the uninstaller.
    progress.Report(RemovalStep::kRemoveFolder, product.path);
}

void RemoveShortcutGroup(const RemovalJob& job, RemovalProgress& progress) {
    const Place group = ResolvePlace(Roots().programs, job.menuGroup);
    if (group.state == Place::kRefused) {
        progress.Diagnostic(L"Shortcut group skipped: not below the Programs folder.");
    } else {
        ProgressReport report(progress);
        const FolderFate contents = EmptyFolder(group, report);
        const HANDLE folder = group.folder.Get();
        bool removed = folder && DeleteByHandle(folder);
        if (!removed && folder && contents == FolderFate::kAtRestart) {
            const std::wstring scheduled = ScheduleAtRestart(folder);
            removed = !scheduled.empty();
            if (removed)
                report.AtRestart(scheduled);
        }
        // Scripts match this diagnostic as it stands, "shoortcut" included.
        if (!removed)
            progress.Diagnostic(L"Delete shoortcut directory failed.");
    }
    progress.Report(RemovalStep::kRemoveFolder, group.path);
}

} // namespace

BOOL UnregisterProduct(CNtRegistry& registry) {
    OpenProductKey(registry);
    return registry.DeleteKeyTree(ProductKeyPath());
}

void RunRemoval(const RemovalJob& job, RemovalProgress& progress) {
    progress.ClearList();
    const int count = LoggedEntryCount(job.log);
    for (int i = 0; i < count; ++i) {
        const LoggedFile file = LoggedEntry(job.log, i);
        progress.Report(RemovalStep::kDeleteFile, file.path);
        if (file.terminated)
            RemoveLoggedFile(file.path, progress);
        progress.StepProgress();
    }
    RemoveProductFolder(job, progress);
    RemoveShortcutGroup(job, progress);
    UnregisterProduct(job.registry);
    progress.Report(RemovalStep::kUnregister);
}
