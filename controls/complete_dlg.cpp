#include "controls/complete_dlg.h"

#include "res/resource.h"

namespace {

const wchar_t kNoName[] = L"{Product Name}";

// A whole sentence with its one placeholder "%s" filled in; the value is never read as a
// format of its own.
std::wstring FillIn(std::wstring sentence, const std::wstring& value) {
    const size_t at = sentence.find(L"%s");
    if (at != std::wstring::npos)
        sentence.replace(at, 2, value);
    return sentence;
}

} // namespace

CCompleteDlg::CCompleteDlg(Leftovers outcome, std::wstring logPath)
    : CWizardPage(IDD_COMPLETE, {22, FW_SEMIBOLD, RGB(0, 155, 255)}), m_outcome(std::move(outcome)),
      m_logPath(std::move(logPath)) {}

CCompleteDlg::~CCompleteDlg() = default;

std::wstring CompletionText(const std::wstring& productName) {
    const std::wstring name = productName.empty() ? kNoName : productName;
    // Users know this text as it stands, without a blank before "Click": it stays so.
    return L"The wizard has successfully uninstalled " + name +
           L" from your computer. You can re-install this product anytime using product setup "
           L"file. Thank you for using our product.Click Finish to continue.";
}

BOOL CCompleteDlg::OnInitDialog() {
    CWizardPage::OnInitDialog();
    PublishBannerFile();
    const std::wstring& productName = AppStores().productName;
    const std::wstring name = productName.empty() ? kNoName : productName;
    const std::vector<std::wstring>* listed = nullptr;
    if (!m_outcome.stayed.empty()) {
        m_title = L"Not Fully Removed";
        m_text = FillIn(L"The removal of %s is incomplete. These items are still on your "
                        L"computer:",
                        name);
        listed = &m_outcome.stayed;
        ShowItems({IDC_LEFT_LIST});
        if (!m_logPath.empty())
            ShowItems({IDC_LOG_LABEL, IDC_LOG_PATH});
    } else if (!m_outcome.atRestart.empty()) {
        m_title = L"Restart to Finish";
        m_text = FillIn(L"%s has been removed. These files were in use; they are deleted when "
                        L"the computer restarts:",
                        name);
        listed = &m_outcome.atRestart;
        ShowItems({IDC_LEFT_LIST, IDC_RESTART_NOW, IDC_RESTART_LATER});
        // The user decides when.
        CheckRadioButton(m_hWnd, IDC_RESTART_NOW, IDC_RESTART_LATER, IDC_RESTART_LATER);
    } else {
        m_title = L"Uninstallation Complete";
        m_text = CompletionText(productName);
        ShowItems({IDC_FINISH_NOTE});
    }
    UpdateData(FALSE);
    if (listed)
        for (const std::wstring& path : *listed)
            m_left.AddString(path);
    return TRUE;
}

void CCompleteDlg::ShowItems(std::initializer_list<int> ids) const {
    for (int id : ids)
        ShowWindow(GetDlgItem(id), SW_SHOWNA);
}

void CCompleteDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_TITLE, m_title);
    DDX_Text(dx, IDC_COMPLETE_TEXT, m_text);
    DDX_Text(dx, IDC_LOG_PATH, m_logPath);
    DDX_Control(dx, IDC_LEFT_LIST, m_left);
}

bool CCompleteDlg::OnCommand(UINT id, UINT notifyCode) {
    if (id == IDC_PREV && notifyCode == BN_CLICKED) {
        EndDialog(IDC_PREV);
        return true;
    }
    // Finish, Escape or the Close box: the choice on screen as the page ends is the user's.
    if (id == IDCANCEL)
        m_restartChosen = IsDlgButtonChecked(m_hWnd, IDC_RESTART_NOW) == BST_CHECKED;
    return CWizardPage::OnCommand(id, notifyCode);
}
