// The program's entry point: the application object was built by static initialisation.
#include <cstdlib>
#include <string>

#include "framework/routine.h"
#include "framework/win_app.h"

// The elevated program's search path holds the user's own PATH entries and the current
// folder; DLLs come from the system folder only. Vista and an unpatched Windows 7 lack the
// first call, so it is looked up; there the search still ends in PATH, which then names the
// system's folders alone. Wine has the call: no test takes the other way.
static void LoadDllsFromTheSystemOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault =
        BindRoutine<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        wchar_t system[MAX_PATH], windows[MAX_PATH];
        const UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
        const UINT windowsLength = GetSystemWindowsDirectoryW(windows, MAX_PATH);
        const bool named =
            systemLength && systemLength < MAX_PATH && windowsLength && windowsLength < MAX_PATH;
        SetEnvironmentVariableW(L"PATH",
                                named ? (std::wstring(system) + L";" + windows).c_str() : nullptr);
    }
    SetDllDirectoryW(L"");
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    LoadDllsFromTheSystemOnly();
    CWinApp* app = AfxGetApp();
    return app ? app->Run(instance) : 1;
}

// The runtime's default terminate handler prints the pending exception's demangled type to a
// console this program does not have, and its demangler is a sixth of the program's code.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
