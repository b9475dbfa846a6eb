#include "removal/own_removal.h"

#include <vector>

#include "framework/file_in_place.h"
#include "framework/long_path.h"
#include "framework/unique_handle.h"

namespace {

// Renames within the file's own folder; an existing file of that name is never replaced.
bool RenameInFolder(HANDLE file, const std::wstring& name) {
    const std::wstring final = FinalPath(file);
    const size_t seam = final.rfind(L'\\');
    if (seam == std::wstring::npos)
        return false;
    // The native form of the new path: "\??\" where the final path has "\\?\".
    const std::wstring target = L"\\??\\" + Plain(final.substr(0, seam + 1)) + name;
    const size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
    std::vector<BYTE> buffer(bytes, 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->FileNameLength = static_cast<DWORD>(target.size()) * DWORD{sizeof(wchar_t)};
    target.copy(rename->FileName, target.size());
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(bytes));
}

} // namespace

bool IsProductUninstaller(HANDLE running, HANDLE uninstaller) {
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return GetFileInformationByHandle(running, &a) && GetFileInformationByHandle(uninstaller, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow &&
           b.nNumberOfLinks == 1 &&
           !(b.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}

std::wstring RemoveOwnFileAtRestart(const Place& product) {
    if (product.state != Place::kOpen)
        return {};
    // The folder's own file is the one renamed: the running program's name may be another one.
    constexpr std::wstring_view kOwnName = L"Uninstall.exe";
    UniqueFileHandle own;
    if (!NT_SUCCESS(OpenBelow(product.folder.Get(), kOwnName, DELETE | FILE_READ_ATTRIBUTES,
                              FILE_NON_DIRECTORY_FILE, own)) ||
        !IsReachedAs(own.Get(), product.final, kOwnName))
        return {};
    const UniqueFileHandle running = OpenOwnProgramFile();
    if (!running || !IsProductUninstaller(running.Get(), own.Get()))
        return {};
    const std::wstring unique = L"Uninstall-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    bool renamed = false;
    for (int attempt = 0; attempt < 100 && !renamed; ++attempt)
        renamed = RenameInFolder(own.Get(), unique + std::to_wstring(attempt) + L".old");
    if (!renamed)
        return {};
    // Files go before the folders that hold them, in the order asked.
    std::wstring scheduled =
        MayWaitForRestart(own.Get(), product) ? ScheduleAtRestart(own.Get()) : std::wstring();
    if (scheduled.empty()) {
        // Nothing is due at the restart: the folder keeps its Uninstall.exe as before.
        RenameInFolder(own.Get(), std::wstring(kOwnName));
        return {};
    }
    ScheduleAtRestart(product.folder.Get());
    return scheduled;
}
