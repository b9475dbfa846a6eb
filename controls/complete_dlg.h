// CCompleteDlg: the last page. It names the removed product and offers Finish.
#pragma once

#include "app/wizard_page.h"

#include <string>

class CCompleteDlg : public CWizardPage {
  public:
    CCompleteDlg();
    ~CCompleteDlg() override;

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnCommand(UINT id, UINT notifyCode) override;

  private:
    std::wstring m_text;
};

// Item 1014's sentence for a product name; the template's own text when the name is empty.
std::wstring CompletionText(const std::wstring& productName);
