// CUninstallApp: the application object. It owns the two registration values the
// removal needs and runs the wizard's pages.
#pragma once

#include <string>

#include "framework/win_app.h"
#include "removal/removal_log.h"

class CUninstallApp : public CWinApp {
  public:
    CUninstallApp();
    ~CUninstallApp() override;
    BOOL InitInstance() override;

    std::wstring m_productDir;
    std::wstring m_menuGroup;
    // Open when /LOG named a file: the progress page writes the removal into it.
    RemovalLog m_removalLog;
    std::wstring m_logPath;
};
