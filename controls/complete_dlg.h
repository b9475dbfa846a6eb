// CCompleteDlg: the last page. It names the removed product and what the removal left: files
// the next restart deletes, with the choice to restart now, or what stayed.
#pragma once

#include <string>

#include "app/wizard_page.h"
#include "framework/controls.h"
#include "removal/removal_outcome.h"

class CCompleteDlg : public CWizardPage {
  public:
    // logPath: the /LOG file the page names when something stayed, if any.
    explicit CCompleteDlg(Leftovers outcome = {}, std::wstring logPath = AppStores().logPath);
    ~CCompleteDlg() override;

    // True when the page ended with "Restart now" chosen.
    bool RestartChosen() const { return m_restartChosen; }

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnCommand(UINT id, UINT notifyCode) override;

  private:
    void ShowItems(std::initializer_list<int> ids) const;

    Leftovers m_outcome;
    std::wstring m_title;
    std::wstring m_text;
    std::wstring m_logPath;
    CListBox m_left;
    bool m_restartChosen = false;
};

// Item 1014's sentence for a product name; the template's own text when the name is empty.
std::wstring CompletionText(const std::wstring& productName);
