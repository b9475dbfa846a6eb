#include "removal/places.h"

#include <winternl.h>

#include "framework/file_in_place.h"
#include "framework/long_path.h"
#include "framework/routine.h"

namespace {

constexpr wchar_t kWindowsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr wchar_t kShellFoldersKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kProfileListKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr wchar_t kEnvironmentKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

using NtOpenFileFn = NTSTATUS(NTAPI*)(PHANDLE file, ACCESS_MASK access,
                                      POBJECT_ATTRIBUTES attributes, PIO_STATUS_BLOCK io,
                                      ULONG share, ULONG options);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS status);

// A text value of the machine's native registry view, unexpanded; empty when absent.
std::wstring MachineValue(const wchar_t* key, const wchar_t* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
        ERROR_SUCCESS)
        return {};
    std::wstring text(MAX_PATH, L'\0');
    DWORD size = static_cast<DWORD>(text.size()) * DWORD{sizeof(wchar_t)};
    if (RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, text.data(), &size) != ERROR_SUCCESS)
        size = 0;
    RegCloseKey(opened);
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

std::wstring ExpandFromMachine(const std::wstring& text, int depth);

// A variable as the system's environment has it. The Windows folder comes from the kernel.
std::wstring MachineVariable(const std::wstring& name, int depth) {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    std::wstring systemRoot = length < MAX_PATH ? windows : L"";
    if (SameName(name, L"SystemRoot") || SameName(name, L"windir"))
        return systemRoot;
    if (SameName(name, L"SystemDrive"))
        return systemRoot.substr(0, 2);
    if (SameName(name, L"ProgramData") || SameName(name, L"ALLUSERSPROFILE"))
        return ExpandFromMachine(MachineValue(kProfileListKey, L"ProgramData"), depth + 1);
    return ExpandFromMachine(MachineValue(kEnvironmentKey, name.c_str()), depth + 1);
}

// Empty when a variable is unknown, or the values refer to each other too deep.
std::wstring ExpandFromMachine(const std::wstring& text, int depth) {
    if (depth > 4)
        return {};
    std::wstring expanded;
    for (size_t at = 0; at < text.size();) {
        const size_t open = text.find(L'%', at);
        const size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos)
            return expanded + text.substr(at);
        const std::wstring value = MachineVariable(text.substr(open + 1, close - open - 1), depth);
        if (value.empty())
            return {};
        expanded += text.substr(at, open - at) + value;
        at = close + 1;
    }
    return expanded;
}

MachineRoots ReadRoots() {
    MachineRoots roots;
    const std::wstring native = ExpandFromMachine(MachineValue(kWindowsKey, L"ProgramFilesDir"), 0);
    // Only 64-bit Windows has a second folder, for 32-bit programs.
    const std::wstring x86 =
        ExpandFromMachine(MachineValue(kWindowsKey, L"ProgramFilesDir (x86)"), 0);
    roots.installerFiles = x86.empty() ? native : x86;
    roots.programs = ExpandFromMachine(MachineValue(kShellFoldersKey, L"Common Programs"), 0);
    for (const std::wstring& folder : {roots.installerFiles, native})
        if (!folder.empty())
            roots.programFiles.push_back(folder);
    return roots;
}

// A step of only dots and spaces with two dots or more may be taken as "..".
bool IsParentStep(std::wstring_view step) {
    return step.find_first_not_of(L". ") == std::wstring_view::npos &&
           step.find(L"..") != std::wstring_view::npos;
}

// The steps of a plain relative name, as the Win32 layer would spell them (no trailing dots
// or spaces, no empty or "." steps); none when the name leaves its parent.
std::vector<std::wstring_view> Steps(std::wstring_view name) {
    if (name.empty() || name.front() == L'\\' || name.front() == L'/' ||
        name.find(L':') != std::wstring_view::npos)
        return {};
    std::vector<std::wstring_view> steps;
    for (size_t start = 0; start <= name.size();) {
        const size_t end = std::min(name.find_first_of(L"\\/", start), name.size());
        std::wstring_view step = name.substr(start, end - start);
        if (IsParentStep(step))
            return {};
        step = step.substr(0, step.find_last_not_of(L". ") + 1);
        if (!step.empty())
            steps.push_back(step);
        start = end + 1;
    }
    return steps;
}

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

bool IsPlainFolder(HANDLE handle) {
    const DWORD attributes = HandleAttributes(handle);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A root is opened once for the whole run, and only when it is no link and lies where it is
// named.
UniqueFileHandle OpenRoot(const std::wstring& root) {
    if (root.empty())
        return {};
    UniqueFileHandle folder(
        CreateFileW(Extended(root).c_str(), kFolderAccess,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder || !IsPlainFolder(folder.Get()) ||
        !SameName(FinalPath(folder.Get()), Extended(root)))
        return {};
    return folder;
}

HANDLE RootHandle(const std::wstring& root) {
    static const UniqueFileHandle installerFiles = OpenRoot(Roots().installerFiles);
    static const UniqueFileHandle programs = OpenRoot(Roots().programs);
    if (root == Roots().installerFiles)
        return installerFiles.Get();
    return root == Roots().programs ? programs.Get() : nullptr;
}

} // namespace

const MachineRoots& Roots() {
    static const MachineRoots roots = ReadRoots();
    return roots;
}

Place ResolvePlace(const std::wstring& root, const std::wstring& name) {
    Place place;
    place.path = root + L"\\" + name;
    const std::vector<std::wstring_view> steps = Steps(name);
    HANDLE parent = RootHandle(root);
    if (steps.empty() || !parent)
        return place;
    std::wstring final = FinalPath(parent);
    UniqueFileHandle folder;
    for (const std::wstring_view step : steps) {
        const NTSTATUS status =
            OpenBelow(parent, step, kFolderAccess | DELETE, FILE_DIRECTORY_FILE, folder);
        if (status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound) {
            place.state = Place::kAbsent;
            return place;
        }
        if (!NT_SUCCESS(status) || !IsPlainFolder(folder.Get()) ||
            !IsReachedAs(folder.Get(), final, step))
            return place;
        final += L"\\" + std::wstring(step);
        parent = folder.Get();
        place.folder = std::move(folder);
    }
    place.state = Place::kOpen;
    place.final = std::move(final);
    return place;
}

bool IsSparedName(std::wstring_view name) {
    return name.ends_with(L"Uninstall.exe");
}

NTSTATUS OpenBelow(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options,
                   UniqueFileHandle& opened) {
    static const auto open = BindRoutine<NtOpenFileFn>(L"ntdll.dll", "NtOpenFile");
    const size_t bytes = name.size() * sizeof(wchar_t);
    if (!open || bytes > 0xFFFE) {
        opened.Reset();
        return STATUS_INVALID_PARAMETER;
    }
    UNICODE_STRING text{static_cast<USHORT>(bytes), static_cast<USHORT>(bytes),
                        const_cast<PWSTR>(name.data())};
    // By name: 64-bit headers pad the record with fields of their own.
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = folder;
    attributes.ObjectName = &text;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status = open(&handle, access | SYNCHRONIZE, &attributes, &io,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT);
    opened.Reset(NT_SUCCESS(status) ? handle : nullptr);
    return status;
}

DWORD ErrorOf(NTSTATUS status) {
    static const auto toError =
        BindRoutine<RtlNtStatusToDosErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
    return toError ? toError(status) : ERROR_GEN_FAILURE;
}

bool IsReachedAs(HANDLE handle, const std::wstring& parentFinal, std::wstring_view name) {
    // Asked as the path below the volume's root, which has no length limit where the final
    // path has one (Wine's stops at MAX_PATH).
    if (!parentFinal.starts_with(L"\\\\?\\") || parentFinal.size() < 7 || parentFinal[5] != L':')
        return false;
    std::wstring place = parentFinal.substr(6);
    if (!place.ends_with(L'\\'))
        place += L'\\';
    place += name;
    std::vector<LONGLONG> buffer(8192);
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    return GetFileInformationByHandleEx(handle, FileNameInfo, info,
                                        static_cast<DWORD>(buffer.size()) *
                                            DWORD{sizeof(LONGLONG)}) &&
           SameName(std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)), place);
}

bool MayWaitForRestart(HANDLE handle, const Place& place) {
    const std::wstring final = FinalPath(handle);
    return place.state == Place::kOpen &&
           (SameName(final, place.final) || LiesBelow(final, place.final));
}

std::wstring ScheduleAtRestart(HANDLE handle) {
    const std::wstring final = FinalPath(handle);
    if (final.empty() || !MoveFileExW(final.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return {};
    return Plain(final);
}
