// CWizardPage: what the wizard's pages share. Each page is a dialog of its own template with
// the page icon, the banner at its left edge and a title (item 1002) in a font of its own;
// a page adds its behaviour on top. Pages reach the application only through this header.
#pragma once

#include <string>

#include "app/banner.h"
#include "app/page_font.h"
#include "framework/dialog.h"

class RemovalLog;

class CWizardPage : public CDialog {
  public:
    CWizardPage(UINT templateId, const PageFont& title,
                BannerContext banner = BannerContext::PaintContext);
    ~CWizardPage() override;

  protected:
    // Sets the icon and the title font; a page's own start follows it.
    BOOL OnInitDialog() override;
    // Writes the banner picture to "banner.jpg" in the temporary folder, for whatever reads
    // it there; the pages themselves draw it from the program's resource.
    void PublishBannerFile();
    void OnPaint() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor) override;
    HICON Icon() const { return m_icon; }

  private:
    HICON m_icon;
    PageFont m_title;
    UniqueFont m_titleFont;
    BannerBitmap m_banner;
    BannerContext m_bannerContext;
};

// What the registration read on the welcome page hands to the pages after it.
struct WizardStores {
    std::wstring& productName;
    std::wstring& productDir;
    std::wstring& menuGroup;
    // The log /LOG named, or null, and its path as given.
    RemovalLog* removalLog;
    const std::wstring& logPath;
};

// The application's stores. Without the application object (a page shown on its own) the
// directory and group are stores of no consequence.
WizardStores AppStores();
