// CUninstallDlg: the welcome page. It shows the registered product, offers the publisher
// and e-mail links, and keeps Next disabled while a trading terminal runs.
#pragma once

#include <string>

#include "app/wizard_page.h"
#include "controls/hyperlink.h"
#include "ntregistry/nt_registry.h"

enum { TERMINAL_POLL_TIMER = 1122 };

class CUninstallDlg : public CWizardPage {
  public:
    CUninstallDlg();
    ~CUninstallDlg() override;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor) override;
    void OnClose() override;
    HCURSOR OnQueryDragIcon() override;
    bool OnCommand(UINT id, UINT notifyCode) override;
    void OnTimer(UINT_PTR id) override;

  private:
    void OnBnClickedCancel();
    void SetTextFonts();
    void WidenTextItems();
    void MakeRoomForLabels();

    CNtRegistry m_registry;
    std::wstring m_title;
    std::wstring m_version;
    std::wstring m_prompt;
    std::wstring m_publisher;
    std::wstring m_contact;
    std::wstring m_email;
    CHyperLink m_publisherLink;
    CHyperLink m_emailLink;
    UniqueFont m_textFont;
};
