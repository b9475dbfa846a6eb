#include "removal/install_log.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "removal/places.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

} // namespace

void ReadInstallLog(InstallLogRecord& log, const std::wstring& productDir) {
    std::memset(&log, 0, sizeof log);
    // Only from the folder the removal accepts: a log elsewhere (".." steps lead to folders
    // anyone may create) must not name the files this elevated program deletes.
    const Place product = ResolvePlace(Roots().installerFiles, productDir);
    if (product.state != Place::kOpen)
        return;
    const std::wstring path = product.final + L"\\Install.log";
    UniqueFile file(_wfopen(path.c_str(), L"rb"));
    if (!file)
        return;
    // One block: a short file fills what it has and the rest stays zero.
    fread(&log, sizeof log, 1, file.get());
    fflush(file.get());
}

int LoggedEntryCount(const InstallLogRecord& log) {
    return std::min<int>(log.count, kLogSlots);
}

LoggedFile LoggedEntry(const InstallLogRecord& log, int index) {
    const wchar_t* slot = log.entries[index];
    const wchar_t* end = std::find(slot, slot + kLogSlotLength, L'\0');
    return {std::wstring(slot, end), end != slot + kLogSlotLength};
}
