// Thin control classes over the common controls the pages use.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "framework/wnd.h"

// The extent of text drawn in the control's own font (WM_GETFONT), or in the system font when
// it has none, as the control itself would draw it.
SIZE MeasureText(HWND control, std::wstring_view text);

// CStatic: a static text item.
class CStatic : public CWnd {};

// CListBox: an unsorted list of text lines that can be read whole: it scrolls as far as its
// widest line, and "Copy all lines" in its context menu or Ctrl+C puts every line on the
// clipboard.
class CListBox : public CWnd {
  public:
    int AddString(const std::wstring& text) const;
    void ResetContent() const { SendMessage(LB_RESETCONTENT); }
    // Every line, each ended with CR LF.
    std::wstring AllLines() const;
    bool CopyAllLines() const;

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void ShowContextMenu(LPARAM at) const;
};

// CProgressCtrl: a progress bar.
class CProgressCtrl : public CWnd {
  public:
    void SetRange(short lower, short upper) const {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
    }
    int SetStep(int step) const {
        return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step)));
    }
    int StepIt() const { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

// CToolTipCtrl: a tooltip window owned by a control, with tools added by id. The object made
// the window, so it destroys it too, at the latest with itself.
class CToolTipCtrl : public CWnd {
  public:
    ~CToolTipCtrl() override;
    BOOL Create(CWnd* owner, DWORD style = 0);
    // Forgets the window, destroying it unless its owner already took it along.
    BOOL DestroyWindow() override;
    BOOL AddTool(CWnd* wnd, const std::wstring& text, const RECT& rect, UINT_PTR id) const;
    void UpdateTipText(const std::wstring& text, CWnd* wnd, UINT_PTR id) const;
    void RelayEvent(MSG* msg) const;
};
