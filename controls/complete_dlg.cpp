#include "controls/complete_dlg.h"

#include "res/resource.h"

CCompleteDlg::CCompleteDlg() : CWizardPage(IDD_COMPLETE, {22, FW_SEMIBOLD, RGB(0, 155, 255)}) {}

CCompleteDlg::~CCompleteDlg() = default;

std::wstring CompletionText(const std::wstring& productName) {
    const std::wstring name = productName.empty() ? L"{Product Name}" : productName;
    // Users know this text as it stands, without a blank before "Click": it stays so.
    return L"The wizard has successfully uninstalled " + name +
           L" from your computer. You can re-install this product anytime using product setup "
           L"file. Thank you for using our product.Click Finish to continue.";
}

BOOL CCompleteDlg::OnInitDialog() {
    CWizardPage::OnInitDialog();
    PublishBannerFile();
    m_text = CompletionText(AppStores().productName);
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
    return CWizardPage::OnCommand(id, notifyCode);
}
