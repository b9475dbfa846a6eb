// CHyperLink: a static text item of a dialog turned into a clickable link. It draws in link
// colours, underlines while the pointer is over it, shows its target in a tooltip and opens
// the target when clicked, or with Enter or Space while it has the focus.
#pragma once

#include <string>

#include "framework/controls.h"
#include "framework/unique_handle.h"

inline void DestroyCursorHandle(HCURSOR cursor) {
    DestroyCursor(cursor);
}
using UniqueCursor = UniqueHandle<HCURSOR, DestroyCursorHandle>;

class CHyperLink : public CStatic {
  public:
    CHyperLink();
    ~CHyperLink() override;

    // The tooltip shows the target too; keep it within the tooltip's 1024 characters.
    void SetLinkTarget(std::wstring target);
    void SetFitToText(bool enable);
    // Sizes the control to its text, keeping the side its alignment anchors.
    void FitToText();

    void PreSubclassWindow() override;
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnReflectCtlColor(HDC dc, UINT ctlColor, HBRUSH& brush) override;
    bool OnReflectCommand(UINT notifyCode) override;

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    bool HasWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    void PrepareFonts();
    void LoadHandCursor();
    void SetUnderlineMode(int mode);
    void ApplyFont(const UniqueFont& font);
    void RelayToTooltip();
    LRESULT OnSetCursor();
    void OnMouseMove();
    void OnTimer();
    void OnClicked();
    LRESULT OnEraseBkgnd(HDC dc);
    LRESULT OnGetDlgCode(const MSG* msg);
    void OnPaint();
    void DrawFocus(HDC dc);
    void OnDestroy();

    COLORREF m_normalColor;
    COLORREF m_visitedColor;
    COLORREF m_hoverColor;
    COLORREF m_backColor;
    BOOL m_hovering;
    BOOL m_visited;
    int m_underlineMode;
    BOOL m_fitToText;
    std::wstring m_target;
    UniqueFont m_underlinedFont;
    UniqueFont m_plainFont;
    UniqueCursor m_helpCursor; // the help program's hand, when it has one
    HCURSOR m_handCursor = nullptr;
    CToolTipCtrl m_tip;
    UINT m_hoverTimerId;
};

// FitToText's geometry: outer is the window rectangle and inner the client rectangle, both
// in the parent's client coordinates; the result keeps the non-client border around text.
RECT FitRectToText(RECT outer, const RECT& inner, SIZE text, LONG style);
