// The one application object, built before any of the program's own code runs.
#include "app/uninstall_app.h"

CUninstallApp theApp;
