#include "controls/complete_dlg.h"

#include "framework/language.h"
#include "res/resource.h"

namespace {

// The template's own stand-in where the registration names no product.
std::wstring ShownName(const std::wstring& productName) {
    return productName.empty() ? L"{Product Name}" : productName;
}

} // namespace

CCompleteDlg::CCompleteDlg(Leftovers outcome, std::wstring logPath)
    : CWizardPage(IDD_COMPLETE, {22, FW_SEMIBOLD, RGB(0, 155, 255)}), m_outcome(std::move(outcome)),
      m_logPath(std::move(logPath)) {}

CCompleteDlg::~CCompleteDlg() = default;

std::wstring CompletionText(const std::wstring& productName) {
    return FormatText(IDS_COMPLETE_TEXT, {ShownName(productName)});
}

BOOL CCompleteDlg::OnInitDialog() {
    CWizardPage::OnInitDialog();
    PublishBannerFile();
    SetItemTexts(m_hWnd, {{IDOK, IDS_NEXT_DISABLED},
                          {IDCANCEL, IDS_FINISH},
                          {IDC_PREV, IDS_PREV},
                          {IDC_FINISH_NOTE, IDS_FINISH_NOTE},
                          {IDC_RESTART_NOW, IDS_RESTART_NOW},
                          {IDC_RESTART_LATER, IDS_RESTART_LATER},
                          {IDC_LOG_LABEL, IDS_LOG_LABEL}});
    const std::wstring& productName = AppStores().productName;
    const std::wstring name = ShownName(productName);
    const std::vector<std::wstring>* listed = nullptr;
    if (!m_outcome.stayed.empty()) {
        m_title = LoadText(IDS_STAYED_TITLE);
        m_text = FormatText(IDS_STAYED_TEXT, {name});
        listed = &m_outcome.stayed;
        ShowItems({IDC_LEFT_LIST});
        if (!m_logPath.empty())
            ShowItems({IDC_LOG_LABEL, IDC_LOG_PATH});
    } else if (!m_outcome.atRestart.empty()) {
        m_title = LoadText(IDS_RESTART_TITLE);
        m_text = FormatText(IDS_RESTART_TEXT, {name});
        listed = &m_outcome.atRestart;
        ShowItems({IDC_LEFT_LIST, IDC_RESTART_NOW, IDC_RESTART_LATER});
        // The user decides when.
        CheckRadioButton(m_hWnd, IDC_RESTART_NOW, IDC_RESTART_LATER, IDC_RESTART_LATER);
    } else {
        m_title = LoadText(IDS_COMPLETE_TITLE);
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
