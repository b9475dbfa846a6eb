// Shows a dialog on a thread of its own, so that a test drives it from outside as a user
// would and checks it on the test's own thread. The dialog ends, with OK, when the object
// goes at the latest.
#pragma once

#include <thread>

#include "framework/dialog.h"
#include "tests/test_support.h"

class ShownDialog {
  public:
    explicit ShownDialog(CDialog& dialog)
        : m_dialog(dialog), m_thread([this] { m_result = m_dialog.DoModal(); }) {
        test::WaitUntil([&] { return IsWindowVisible(m_dialog.m_hWnd) != FALSE; }, 10000);
    }
    ~ShownDialog() { End(); }
    // Ends the dialog with OK unless it has ended; DoModal's result.
    INT_PTR End() {
        if (m_thread.joinable() && PostMessageW(m_dialog.m_hWnd, WM_COMMAND, IDOK, 0))
            m_thread.join();
        return m_result;
    }

  private:
    CDialog& m_dialog;
    INT_PTR m_result = 0;
    std::thread m_thread;
};
