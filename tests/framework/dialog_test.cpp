#include <windows.h>
#include <gtest/gtest.h>

#include "framework/controls.h"
#include "tests/framework/shown_dialog.h"

namespace {

// A bound control that takes the clicks its parent reflects.
struct ClickableStatic : CStatic {
    bool OnReflectCommand(UINT code) override { return ++clicks, code == STN_CLICKED; }
    int clicks = 0;
};

// The fixture is a dialog with a bound control (202), shown for each test.
class Dialog : public ::testing::Test, public CDialog {
  protected:
    Dialog() : CDialog(200) {}
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 202, link); }
    bool OnCommand(UINT id, UINT code) override {
        seen = CurrentMessage();
        return id == 202 ? ++parentClicks : CDialog::OnCommand(id, code);
    }
    void OnTimer(UINT_PTR) override { seen = CurrentMessage(); }
    // Only the message sent: the system may send others (WM_SETCURSOR) while it is handled.
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == expected)
            seen = CurrentMessage();
        return true;
    }
    ClickableStatic link;
    int parentClicks = 0;
    MSG seen{};
    UINT expected = 0;
    ShownDialog shown{*this};
};

} // namespace

TEST_F(Dialog, GivesAReflectedClickToTheControlAlone) {
    ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(202, STN_CLICKED),
                   reinterpret_cast<LPARAM>(link.m_hWnd));
    EXPECT_EQ(link.clicks, 1);
    EXPECT_EQ(parentClicks, 0);
}

TEST_F(Dialog, HandlersSeeTheMessageTheyHandle) {
    for (const auto& [msg, wp, lp] : {std::tuple<UINT, WPARAM, LPARAM>{WM_APP + 1, 7, 11},
                                      {WM_TIMER, 42, 0},
                                      {WM_COMMAND, MAKEWPARAM(202, STN_DBLCLK), 0}}) {
        SCOPED_TRACE(msg);
        seen = {};
        expected = msg;
        ::SendMessageW(m_hWnd, msg, wp, lp);
        EXPECT_EQ(std::tie(seen.hwnd, seen.message, seen.wParam, seen.lParam),
                  std::tie(m_hWnd, msg, wp, lp));
    }
}

TEST_F(Dialog, LetsGoOfItsWindowsWhenItEnds) {
    shown.End();
    EXPECT_EQ(std::pair(m_hWnd, link.m_hWnd), (std::pair<HWND, HWND>(nullptr, nullptr)));
}

TEST(DialogTemplate, MissingOneFailsWithMinusOne) {
    EXPECT_EQ(CDialog(4711).DoModal(), -1);
}
