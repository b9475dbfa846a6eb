#include "app/uninstall_dlg.h"

#include <algorithm>
#include <climits>

#include "app/page_font.h"
#include "app/process_list.h"
#include "app/product_registration.h"
#include "framework/controls.h"
#include "framework/language.h"
#include "res/resource.h"

CUninstallDlg::CUninstallDlg()
    : CWizardPage(IDD_UNINSTALL, {22, FW_SEMIBOLD}, BannerContext::WindowContext) {}

CUninstallDlg::~CUninstallDlg() = default;

void CUninstallDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_TITLE, m_title);
    DDX_Text(dx, IDC_PUBLISHER, m_publisher);
    DDX_Text(dx, IDC_EMAIL, m_email);
    DDX_Text(dx, IDC_CONTACT, m_contact);
    DDX_Text(dx, IDC_PROMPT, m_prompt);
    DDX_Control(dx, IDC_PUBLISHER, m_publisherLink);
    DDX_Control(dx, IDC_EMAIL, m_emailLink);
    DDX_Text(dx, IDC_VERSION, m_version);
}

BOOL CUninstallDlg::OnInitDialog() {
    CWizardPage::OnInitDialog();
    PublishBannerFile();
    SetTextFonts();

    const ProductRegistration registration = ReadProductRegistration(m_registry);
    const WizardStores stores = AppStores();
    stores.productName = registration.productName;
    stores.productDir = registration.productDir;
    stores.menuGroup = registration.menuGroup;
    SetItemTexts(m_hWnd, {{IDOK, IDS_NEXT},
                          {IDCANCEL, IDS_CANCEL},
                          {IDC_VERSION_LABEL, IDS_VERSION_LABEL},
                          {IDC_PUBLISHER_LABEL, IDS_PUBLISHER_LABEL},
                          {IDC_CONTACT_LABEL, IDS_CONTACT_LABEL},
                          {IDC_EMAIL_LABEL, IDS_EMAIL_LABEL},
                          {IDC_NOTE, IDS_TERMINAL_NOTE}});
    m_title = LoadText(IDS_WELCOME_TITLE);
    m_prompt = FormatText(IDS_WELCOME_PROMPT, {stores.productName});
    m_contact = registration.contactName;
    m_version = registration.version;
    m_publisher = registration.publisher;
    m_email = registration.email;
    m_publisherLink.SetFitToText(false);
    m_publisherLink.SetLinkTarget(registration.productUrl);
    m_emailLink.SetLinkTarget(registration.email);
    UpdateData(FALSE);
    WidenTextItems();
    MakeRoomForLabels();

    // A failed timer is no reason to refuse the removal: the page only stops watching.
    SetTimer(m_hWnd, TERMINAL_POLL_TIMER, 500, nullptr);
    return TRUE;
}

static bool UsesTextFont(int id) {
    return id == IDC_PROMPT || id == IDC_VERSION_LABEL || id == IDC_PUBLISHER_LABEL ||
           id == IDC_CONTACT_LABEL || id == IDC_EMAIL_LABEL;
}

// An item's rectangle in its page's client coordinates.
static RECT ItemRect(HWND item) {
    RECT r{};
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, GetParent(item), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A one-line text item narrower than its text, in the font it draws with, grows to the right
// within the page: the labels' font and the template's dialog units scale apart.
static void WidenToText(HWND item, LONG pageRight) {
    const SIZE extent = MeasureText(item, WindowText(item));
    RECT client;
    GetClientRect(item, &client);
    // Items of several lines wrap their text instead.
    if (extent.cx <= client.right || extent.cy * 2 <= client.bottom)
        return;
    const RECT window = ItemRect(item);
    const LONG right = std::min(window.right + extent.cx - client.right, pageRight);
    SetWindowPos(item, nullptr, 0, 0, right - window.left, window.bottom - window.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CUninstallDlg::WidenTextItems() {
    RECT page;
    GetClientRect(m_hWnd, &page);
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (lstrcmpiW(className, L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT)
            WidenToText(child, page.right);
    }
}

// Labels in a language of longer words push the values' column to the right, which keeps its
// right edge: no label covers its value.
void CUninstallDlg::MakeRoomForLabels() {
    LONG labelsRight = 0, valuesLeft = LONG_MAX;
    for (const int id :
         {IDC_VERSION_LABEL, IDC_PUBLISHER_LABEL, IDC_CONTACT_LABEL, IDC_EMAIL_LABEL})
        labelsRight = std::max(labelsRight, ItemRect(GetDlgItem(id)).right);
    static constexpr int kValues[] = {IDC_VERSION, IDC_PUBLISHER, IDC_CONTACT, IDC_EMAIL};
    for (const int id : kValues)
        valuesLeft = std::min(valuesLeft, ItemRect(GetDlgItem(id)).left);
    RECT gap{0, 0, 4, 0};
    MapDialogRect(m_hWnd, &gap);
    const LONG shift = labelsRight + gap.right - valuesLeft;
    if (shift <= 0)
        return;
    for (const int id : kValues) {
        const RECT value = ItemRect(GetDlgItem(id));
        SetWindowPos(GetDlgItem(id), nullptr, value.left + shift, value.top,
                     std::max(value.right - value.left - shift, LONG{0}), value.bottom - value.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CUninstallDlg::SetTextFonts() {
    if (!m_textFont)
        m_textFont = CreatePageFont({16, FW_NORMAL}, m_hWnd);
    // Also the controls' own fonts: not every static control keeps a font chosen while it
    // asks for its colours.
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (UsesTextFont(GetDlgCtrlID(child)))
            SetControlFont(child, m_textFont);
}

HBRUSH CUninstallDlg::OnCtlColor(HDC dc, HWND control, UINT ctlColor) {
    HBRUSH brush = CWizardPage::OnCtlColor(dc, control, ctlColor);
    if (UsesTextFont(GetDlgCtrlID(control)))
        SelectObject(dc, m_textFont.Get());
    return brush;
}

void CUninstallDlg::OnClose() {
    KillTimer(m_hWnd, TERMINAL_POLL_TIMER);
    LeaveToDialogManager();
}

HCURSOR CUninstallDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(Icon());
}

bool CUninstallDlg::OnCommand(UINT id, UINT notifyCode) {
    if (id == IDCANCEL) {
        OnBnClickedCancel();
        return true;
    }
    // Enter or a scripted click must not start the removal while a terminal holds Next.
    if (id == IDOK && !IsWindowEnabled(GetDlgItem(IDOK)))
        return true;
    return CWizardPage::OnCommand(id, notifyCode);
}

void CUninstallDlg::OnBnClickedCancel() {
    KillTimer(m_hWnd, TERMINAL_POLL_TIMER);
    CDialog::OnCancel();
}

void CUninstallDlg::OnTimer(UINT_PTR) {
    EnableWindow(GetDlgItem(IDOK), !IsProcessRunning(L"terminal.exe"));
    LeaveToDialogManager();
}
