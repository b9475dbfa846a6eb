#include "app/wizard_page.h"

#include "app/page_icon.h"
#include "app/shared_state.h"
#include "app/uninstall_app.h"
#include "framework/language.h"
#include "framework/win_app.h"
#include "res/resource.h"

CWizardPage::CWizardPage(UINT templateId, const PageFont& title, BannerContext banner)
    : CDialog(templateId), m_icon(LoadPageIcon()), m_title(title), m_bannerContext(banner) {}

CWizardPage::~CWizardPage() = default;

BOOL CWizardPage::OnInitDialog() {
    CDialog::OnInitDialog();
    SetPageIcon(m_hWnd, m_icon);
    ::SetWindowTextW(m_hWnd, LoadText(IDS_CAPTION).c_str());
    // A page shown again keeps its font; the new title control gets it all the same.
    if (!m_titleFont)
        m_titleFont = CreatePageFont(m_title, m_hWnd);
    SetControlFont(GetDlgItem(IDC_TITLE), m_titleFont);
    return TRUE;
}

void CWizardPage::PublishBannerFile() {
    WriteBannerFile(AfxGetResourceHandle(), BannerFilePath());
}

void CWizardPage::OnPaint() {
    PaintBanner(m_hWnd, m_banner, m_bannerContext);
}

HBRUSH CWizardPage::OnCtlColor(HDC dc, HWND control, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, control, ctlColor);
    if (GetDlgCtrlID(control) == IDC_TITLE) {
        if (m_title.colour != CLR_INVALID)
            SetTextColor(dc, m_title.colour);
        SelectObject(dc, m_titleFont.Get());
    }
    return brush;
}

WizardStores AppStores() {
    static std::wstring noDir, noGroup;
    static const std::wstring noLog;
    // The one application object of the program is a CUninstallApp.
    if (auto* app = static_cast<CUninstallApp*>(AfxGetApp())) {
        const bool logged = app->m_removalLog.IsOpen();
        return {g_productName, app->m_productDir, app->m_menuGroup,
                logged ? &app->m_removalLog : nullptr, logged ? app->m_logPath : noLog};
    }
    return {g_productName, noDir, noGroup, nullptr, noLog};
}
