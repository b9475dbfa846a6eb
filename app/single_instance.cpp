#include "app/single_instance.h"

#include <sddl.h>

#include "framework/file_in_place.h"
#include "framework/language.h"
#include "framework/linked_user.h"
#include "framework/long_path.h"
#include "framework/unique_handle.h"
#include "res/resource.h"

namespace {

// Whichever of SYSTEM and the administrators made an object, the other may use it. Made once,
// for the process's life, as the objects it guards.
SECURITY_ATTRIBUTES* AdministratorsOnly() {
    static const PSECURITY_DESCRIPTOR descriptor = [] {
        PSECURITY_DESCRIPTOR made = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)",
                                                             SDDL_REVISION_1, &made, nullptr);
        return made;
    }();
    static SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    return &attributes;
}

// Never closed: the namespace lasts while a process of the family holds it open.
HANDLE OpenInstanceNamespace(HANDLE boundary, DWORD& error) {
    // Its last holder may close it between a refused creation and the opening: once more then.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (const HANDLE created =
                CreatePrivateNamespaceW(AdministratorsOnly(), boundary, kInstanceNamespace))
            return created;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
        if (const HANDLE opened = OpenPrivateNamespaceW(boundary, kInstanceNamespace))
            return opened;
        if (GetLastError() != ERROR_PATH_NOT_FOUND && GetLastError() != ERROR_NOT_FOUND)
            break;
    }
    error = GetLastError();
    return nullptr;
}

// A process of this very program file that runs elevated or as SYSTEM: no user's look-alike.
bool IsElevatedInstance(DWORD processId, const std::wstring& ownFile) {
    const UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(image));
    HANDLE token = nullptr;
    if (!process || !QueryFullProcessImageNameW(process.Get(), 0, image, &size) ||
        !OpenProcessToken(process.Get(), TOKEN_QUERY, &token))
        return false;
    const UniqueKernelHandle processToken(token);
    const std::wstring file = FinalPath(OpenToIdentify(std::wstring(image, size)).Get());
    return !file.empty() && SameName(file, ownFile) && IsElevatedOrSystem(processToken.Get());
}

struct Search {
    std::wstring ownFile;
};

// The pages are dialogs titled "Uninstall" in the wizard's language; the other instance, of the
// same user and so the same language, has one visible at most. Only asynchronous calls reach
// the other process: a hung page does not hang this one.
BOOL CALLBACK ShowIfPage(HWND window, LPARAM search) {
    wchar_t title[64] = {}, windowClass[16] = {};
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId() || !IsWindowVisible(window) ||
        !GetClassNameW(window, windowClass, 16) || wcscmp(windowClass, L"#32770") != 0 ||
        !GetWindowTextW(window, title, 64) || LoadText(IDS_CAPTION) != title ||
        !IsElevatedInstance(processId, reinterpret_cast<const Search*>(search)->ownFile))
        return TRUE;
    if (IsIconic(window))
        ShowWindowAsync(window, SW_RESTORE);
    // A message box of the page, if one is open, comes with it.
    SetForegroundWindow(GetLastActivePopup(window));
    return FALSE;
}

std::wstring MakeInstanceMutexName(DWORD& error) {
    HANDLE boundary = CreateBoundaryDescriptorW(kInstanceNamespace, 0);
    // Only out of memory on Windows; Wine has no private namespaces, and the global name
    // stands in there.
    if (!boundary)
        return std::wstring(L"Global\\") + kInstanceNamespace + L"." + kInstanceMutexName;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE opened = nullptr;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !AddSIDToBoundaryDescriptor(&boundary, administrators))
        error = GetLastError();
    else
        opened = OpenInstanceNamespace(boundary, error);
    DeleteBoundaryDescriptor(boundary);
    return opened ? std::wstring(kInstanceNamespace) + L"\\" + kInstanceMutexName : std::wstring();
}

} // namespace

std::wstring InstanceMutexName(DWORD& error) {
    static DWORD failure = ERROR_SUCCESS;
    static const std::wstring name = MakeInstanceMutexName(failure);
    error = failure;
    return name;
}

InstanceLock TakeInstanceLock(DWORD& error) {
    const std::wstring name = InstanceMutexName(error);
    if (name.empty())
        return InstanceLock::Unavailable;
    // Never closed: the system closes it when the process ends, also by a crash, and a
    // mutex whose owner ended so is abandoned, to be taken by the next waiter.
    const HANDLE mutex = CreateMutexW(AdministratorsOnly(), FALSE, name.c_str());
    // No handle: an object of another kind holds the name, or one we may not use.
    if (!mutex) {
        error = GetLastError();
        return InstanceLock::Unavailable;
    }
    const DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        return InstanceLock::Taken;
    if (wait == WAIT_TIMEOUT)
        return InstanceLock::HeldByAnother;
    error = GetLastError();
    return InstanceLock::Unavailable;
}

void ShowFirstInstance() {
    const Search search{FinalPath(OpenOwnProgramFile().Get())};
    if (!search.ownFile.empty())
        EnumWindows(&ShowIfPage, reinterpret_cast<LPARAM>(&search));
}
