#include "app/single_instance.h"

#include <sddl.h>

#include <string>

#include "framework/unique_handle.h"

namespace {

bool IsUninstallerProcess(DWORD processId) {
    const UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(image));
    if (!process || !QueryFullProcessImageNameW(process.Get(), 0, image, &size))
        return false;
    const std::wstring path(image, size);
    constexpr std::wstring_view name = L"\\Uninstall.exe";
    return path.size() > name.size() &&
           CompareStringOrdinal(path.c_str() + path.size() - name.size(),
                                static_cast<int>(name.size()), name.data(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

// The pages are dialogs titled "Uninstall"; the other instance has one visible at most.
BOOL CALLBACK ShowIfPage(HWND window, LPARAM) {
    wchar_t title[16] = {}, windowClass[16] = {};
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId() || !IsWindowVisible(window) ||
        !GetClassNameW(window, windowClass, 16) || wcscmp(windowClass, L"#32770") != 0 ||
        !GetWindowTextW(window, title, 16) || wcscmp(title, L"Uninstall") != 0 ||
        !IsUninstallerProcess(processId))
        return TRUE;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    // A message box of the page, if one is open, comes with it.
    SetForegroundWindow(GetLastActivePopup(window));
    return FALSE;
}

} // namespace

bool TakeInstanceMutex() {
    // Whichever of SYSTEM and the administrators made it, the other may wait on it.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)",
                                                         SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    // Never closed: the system closes it when the process ends, also by a crash, and a
    // mutex whose owner ended so is abandoned, to be taken by the next waiter.
    const HANDLE mutex = CreateMutexW(&attributes, FALSE, kInstanceMutexName);
    LocalFree(descriptor);
    // No handle: it exists and refuses us, so another holds it.
    if (!mutex)
        return false;
    const DWORD wait = WaitForSingleObject(mutex, 0);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

void ShowFirstInstance() {
    EnumWindows(&ShowIfPage, 0);
}
