#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/dialog.h"

namespace {

const UINT kTemplate = 200;
const int kText = 201;
const int kLink = 202;
const UINT kRunChecks = WM_APP + 1;

// A bound control that answers the notifications its parent reflects.
class ReflectingStatic : public CStatic {
  public:
    // Runs on attach, so the style is in place before the first click can come.
    void PreSubclassWindow() override {
        SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    }
    bool OnReflectCtlColor(HDC dc, UINT ctlColor, HBRUSH& brush) override {
        ++colourRequests;
        lastCtlColor = ctlColor;
        SetTextColor(dc, RGB(255, 0, 0));
        brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        return true;
    }
    bool OnReflectCommand(UINT code) override {
        clicks += code == STN_CLICKED;
        return code == STN_CLICKED;
    }
    int colourRequests = 0;
    UINT lastCtlColor = 0;
    int clicks = 0;
};

class TestDialog : public CDialog {
  public:
    TestDialog() : CDialog(kTemplate) {}
    std::wstring text = L"from member";
    ReflectingStatic link;
    std::vector<std::wstring> failures;
    int parentCommands = 0;

  protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, kText, text);
        DDX_Control(dx, kLink, link);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessageW(m_hWnd, kRunChecks, 0, 0);
        return TRUE;
    }
    bool OnCommand(UINT id, UINT code) override {
        if (id == static_cast<UINT>(kLink))
            ++parentCommands;
        return CDialog::OnCommand(id, code);
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg != kRunChecks)
            return false;
        result = 0;
        RunChecks();
        return true;
    }

  private:
    void Check(bool ok, const wchar_t* what) {
        if (!ok)
            failures.push_back(what);
    }
    void RunChecks() {
        wchar_t shown[64] = {};
        GetDlgItemTextW(m_hWnd, kText, shown, 64);
        Check(std::wstring(shown) == L"from member", L"member text reaches the control");

        HDC dc = GetDC(m_hWnd);
        const LRESULT linkBrush =
            ::SendMessageW(m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(link.m_hWnd));
        Check(linkBrush == reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)),
              L"the child's brush answers its colour request");
        Check(link.lastCtlColor == CTLCOLOR_STATIC, L"reflected as a static's request");
        ReleaseDC(m_hWnd, dc);

        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kLink, STN_CLICKED),
                       reinterpret_cast<LPARAM>(link.m_hWnd));
        Check(link.clicks == 1 && parentCommands == 0, L"a click goes to the child alone");

        SetDlgItemTextW(m_hWnd, kText, L"typed by user");
        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(IDOK)));
    }
};

} // namespace

TEST(Dialog, ExchangesTextBindsControlsAndReflectsNotifications) {
    TestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    for (const auto& failure : dialog.failures)
        ADD_FAILURE() << std::string(failure.begin(), failure.end());
    EXPECT_GT(dialog.link.colourRequests, 0);
    EXPECT_EQ(dialog.text, L"typed by user") << "OnOK saves the controls back into members";
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.link.m_hWnd, nullptr) << "the control lets go of its destroyed window";
}

TEST(Dialog, MissingTemplateFailsWithMinusOne) {
    CDialog missing(4711);
    EXPECT_EQ(missing.DoModal(), -1);
}
