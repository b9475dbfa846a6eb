// The program's entry point: the application object was built by static initialisation.
#include "framework/win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CWinApp* app = AfxGetApp();
    return app ? app->Run(instance) : 1;
}
