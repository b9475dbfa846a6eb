// The program's entry point: the application object was built by static initialisation.
#include "framework/win_app.h"

#include <cstdlib>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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
