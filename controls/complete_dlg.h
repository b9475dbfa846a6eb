// CCompleteDlg: the last page. It names the removed product and offers Finish.
#pragma once

#include "app/banner.h"
#include "framework/dialog.h"

#include <string>

class CCompleteDlg : public CDialog {
  public:
    CCompleteDlg();
    ~CCompleteDlg() override;

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnCommand(UINT id, UINT notifyCode) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor) override;
    void OnPaint() override;

  private:
    HICON m_icon;
    BannerBitmap m_banner;
    std::wstring m_text;
    UniqueFont m_titleFont;
};

// Item 1014's sentence for a product name; the template's own text when the name is empty.
std::wstring CompletionText(const std::wstring& productName);
