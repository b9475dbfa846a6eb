// CWnd: a C++ object bound to an existing window by subclassing. The object sees the
// window's messages in WindowProc and the notifications its parent reflects back to it.
#pragma once

#include <windows.h>

#include <string>

class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object bound to a window by SubclassWindow, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Binds the object to hwnd: PreSubclassWindow runs before the object sees any message.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    virtual BOOL DestroyWindow();

    virtual void PreSubclassWindow() {}
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Reflected notifications from the parent; true when the control answered.
    virtual bool OnReflectCtlColor(HDC dc, UINT ctlColor, HBRUSH& brush);
    virtual bool OnReflectCommand(UINT notifyCode);

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageW(m_hWnd, msg, wp, lp);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) const { ::SetWindowTextW(m_hWnd, text.c_str()); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }

    HWND m_hWnd = nullptr;

  protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // Hands the message being processed to the window's original procedure.
    LRESULT Default();
    const MSG& CurrentMessage() const { return m_current; }
    // The message being processed: set by whichever procedure delivers the window's messages.
    MSG m_current{};

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    WNDPROC m_originalProc = nullptr;
};

// The window's whole text.
std::wstring WindowText(HWND window);
