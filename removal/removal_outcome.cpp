#include "removal/removal_outcome.h"

#include "framework/long_path.h"
#include "removal/at_restart.h"
#include "removal/folder_walk.h"
#include "removal/places.h"
#include "removal/product_key.h"

namespace {

// Sorts what is still there: gone at the next restart, or stayed.
class Survey : public WalkReport {
  public:
    void Failed(const std::wstring&) override {}
    void AtRestart(const std::wstring&) override {}
    void StillThere(const std::wstring& path) override {
        // A logged file in the product folder is met twice: by the log and by the walk.
        for (const auto* seen : {&found.stayed, &found.atRestart})
            for (const std::wstring& other : *seen)
                if (SameName(other, path))
                    return;
        (IsPending(m_pending, path) ? found.atRestart : found.stayed).push_back(path);
    }

    Leftovers found;

  private:
    const std::vector<std::wstring> m_pending = PendingDeletions();
};

} // namespace

Leftovers LeftBehind(const RemovalJob& job) {
    Survey survey;
    const int count = LoggedEntryCount(job.log);
    for (int i = 0; i < count; ++i) {
        const LoggedFile file = LoggedEntry(job.log, i);
        const DWORD attributes =
            file.terminated ? GetFileAttributesW(file.path.c_str()) : INVALID_FILE_ATTRIBUTES;
        // A folder named in the log is the terminal's: the removal leaves it alone.
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            survey.StillThere(file.path);
    }

    const Place product = ResolvePlace(Roots().installerFiles, job.productDir);
    if (product.state == Place::kRefused)
        survey.found.stayed.push_back(L"the product folder \"" + job.productDir +
                                      L"\" (not below the Program Files folder)");
    SurveyFolder(product, survey);

    const Place group = ResolvePlace(Roots().programs, job.menuGroup);
    if (group.state == Place::kRefused)
        survey.found.stayed.push_back(L"the shortcut group \"" + job.menuGroup +
                                      L"\" (not below the Programs folder)");
    SurveyFolder(group, survey);
    if (group.state == Place::kOpen)
        survey.StillThere(Plain(group.final));

    if (OpenProductKey(job.registry))
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
