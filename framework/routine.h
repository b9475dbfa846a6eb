// Routines looked up by name at run time: those an older Windows lacks, and ntdll's, which no
// import library names.
#pragma once

#include <windows.h>

// The address as the routine's own type: through void (*)(), the one function type GCC accepts
// as a stand-in for any other. Null stays null.
template <typename Fn> Fn RoutineAs(FARPROC address) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

// The routine of a module the process has loaded, or null.
template <typename Fn> Fn BindRoutine(const wchar_t* module, const char* name) {
    return RoutineAs<Fn>(GetProcAddress(GetModuleHandleW(module), name));
}
