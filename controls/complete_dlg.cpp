#include "controls/complete_dlg.h"

#include "app/shared_state.h"
#include "framework/win_app.h"
#include "res/resource.h"

CCompleteDlg::CCompleteDlg() : CDialog(IDD_COMPLETE), m_icon(LoadPageIcon()) {}

CCompleteDlg::~CCompleteDlg() = default;

std::wstring CompletionText(const std::wstring& productName) {
    const std::wstring name = productName.empty() ? L"{Product Name}" : productName;
    // No blank before "Click": the sentence has always read that way.
    return L"The wizard has successfully uninstalled " + name +
           L" from your computer. You can re-install this product anytime using product setup "
           L"file. Thank you for using our product.Click Finish to continue.";
}

BOOL CCompleteDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetPageIcon(m_hWnd, m_icon);
    m_titleFont = CreatePageFont(22, FW_SEMIBOLD);
    SetControlFont(GetDlgItem(IDC_TITLE), m_titleFont);
    WriteBannerFile(AfxGetResourceHandle(), BannerFilePath());
    m_text = CompletionText(g_productName);
    UpdateData(FALSE);
    return TRUE;
}

void CCompleteDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_COMPLETE_TEXT, m_text);
}

bool CCompleteDlg::OnCommand(UINT id, UINT notifyCode) {
    if (id == IDC_PREV && notifyCode == BN_CLICKED) {
        EndDialog(IDC_PREV);
        return true;
    }
    return CDialog::OnCommand(id, notifyCode);
}

HBRUSH CCompleteDlg::OnCtlColor(HDC dc, HWND control, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, control, ctlColor);
    if (GetDlgCtrlID(control) == IDC_TITLE) {
        SetTextColor(dc, RGB(0, 155, 255));
        SelectObject(dc, m_titleFont.Get());
    }
    return brush;
}

void CCompleteDlg::OnPaint() {
    PaintBanner(m_hWnd, m_banner, BannerContext::PaintContext);
}
