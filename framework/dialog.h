// CDialog: a modal dialog built from a template resource, with text data exchange and
// virtual handlers for the messages the pages use. Handlers that want the dialog manager's
// own processing call LeaveToDialogManager() (the base implementations do).
#pragma once

#include <string>

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;

    // Shows the page and returns the value passed to EndDialog, or -1 when it could not be shown.
    virtual INT_PTR DoModal();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);

  protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();
    // WM_COMMAND by control id; the base turns IDOK and IDCANCEL into OnOK and OnCancel.
    virtual bool OnCommand(UINT id, UINT notifyCode);
    virtual void OnPaint();
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnClose();
    virtual HCURSOR OnQueryDragIcon();
    // Any other message; return true and set result when handled.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // Hands the current message back to the dialog manager, as if no handler had seen it.
    void LeaveToDialogManager();

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    UINT m_templateId;
    HWND m_parent;
    bool m_wantsDefault = false;
};

// CDataExchange: the direction and target of one UpdateData run.
class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Moves a control's text to or from a member string.
void DDX_Text(CDataExchange* dx, int id, std::wstring& value);
// Binds a control object to a dialog item the first time through.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
