// Stand-in pages on the real templates until the real pages replace them.
#pragma once

#include "framework/dialog.h"
#include "res/resource.h"

class CUninstallDlg : public CDialog {
  public:
    CUninstallDlg() : CDialog(IDD_UNINSTALL) {}
};

// Prev ends the page with its own id, as on the real pages.
class CPrevPage : public CDialog {
  public:
    explicit CPrevPage(UINT templateId) : CDialog(templateId) {}

  protected:
    bool OnCommand(UINT id, UINT code) override {
        if (id == IDC_PREV) {
            EndDialog(IDC_PREV);
            return true;
        }
        return CDialog::OnCommand(id, code);
    }
};

class CProgressDlg : public CPrevPage {
  public:
    CProgressDlg() : CPrevPage(IDD_PROGRESS) {}
};

class CCompleteDlg : public CPrevPage {
  public:
    CCompleteDlg() : CPrevPage(IDD_COMPLETE) {}
};
