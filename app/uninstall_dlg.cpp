#include "app/uninstall_dlg.h"

#include <tlhelp32.h>

#include "app/product_registration.h"
#include "app/shared_state.h"
#include "app/uninstall_app.h"
#include "framework/win_app.h"
#include "res/resource.h"

CUninstallDlg::CUninstallDlg() : CDialog(IDD_UNINSTALL), m_icon(LoadPageIcon()) {}

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
    CDialog::OnInitDialog();
    SetPageIcon(m_hWnd, m_icon);
    CreateFonts();

    const ProductRegistration registration = ReadProductRegistration(m_registry);
    auto* app = static_cast<CUninstallApp*>(AfxGetApp());
    g_productName = registration.productName;
    if (app) {
        app->m_productDir = registration.productDir;
        app->m_menuGroup = registration.menuGroup;
    }
    m_title = L"Welcome to Corvina";
    // The name is an argument of the sentence, never a format of its own.
    m_prompt = L"You are about to uninstall " + g_productName;
    m_contact = registration.contactName;
    m_version = registration.version;
    m_publisher = registration.publisher;
    m_email = registration.email;
    m_publisherLink.SetFitToText(false);
    m_publisherLink.SetLinkTarget(registration.productUrl);
    m_emailLink.SetLinkTarget(registration.email);
    UpdateData(FALSE);

    WriteBannerFile(AfxGetResourceHandle(), BannerFilePath());
    // Without the timer the page goes on unguarded, as it always has.
    SetTimer(m_hWnd, TERMINAL_POLL_TIMER, 500, nullptr);
    return TRUE;
}

void CUninstallDlg::OnPaint() {
    PaintBanner(m_hWnd, m_banner, BannerContext::WindowContext);
}

static bool UsesTextFont(int id) {
    return id == IDC_PROMPT || id == -1 || id == 0xFFFF;
}

void CUninstallDlg::CreateFonts() {
    if (!m_titleFont)
        m_titleFont = CreatePageFont(22, FW_SEMIBOLD);
    if (!m_textFont)
        m_textFont = CreatePageFont(16, FW_NORMAL);
    // Also the controls' own fonts: not every static control keeps a font chosen while it
    // asks for its colours.
    SetControlFont(GetDlgItem(IDC_TITLE), m_titleFont);
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (UsesTextFont(GetDlgCtrlID(child)))
            SetControlFont(child, m_textFont);
}

HBRUSH CUninstallDlg::OnCtlColor(HDC dc, HWND control, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, control, ctlColor);
    const int id = GetDlgCtrlID(control);
    if (id == IDC_TITLE)
        SelectObject(dc, m_titleFont.Get());
    else if (UsesTextFont(id))
        SelectObject(dc, m_textFont.Get());
    return brush;
}

void CUninstallDlg::OnClose() {
    KillTimer(m_hWnd, TERMINAL_POLL_TIMER);
    Default();
}

HCURSOR CUninstallDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_icon);
}

bool CUninstallDlg::OnCommand(UINT id, UINT notifyCode) {
    if (id == IDCANCEL) {
        OnBnClickedCancel();
        return true;
    }
    // Enter or a scripted click must not start the removal while a terminal holds Next.
    if (id == IDOK && !IsWindowEnabled(GetDlgItem(IDOK)))
        return true;
    return CDialog::OnCommand(id, notifyCode);
}

void CUninstallDlg::OnBnClickedCancel() {
    KillTimer(m_hWnd, TERMINAL_POLL_TIMER);
    CDialog::OnCancel();
}

void CUninstallDlg::OnTimer(UINT_PTR) {
    EnableWindow(GetDlgItem(IDOK), !IsProcessRunning(L"terminal.exe"));
    Default();
}

bool IsProcessRunning(const std::wstring& exeName) {
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (CompareStringOrdinal(entry.szExeFile, -1, exeName.c_str(), -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}
