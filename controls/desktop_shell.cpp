#include "controls/desktop_shell.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

#include "framework/com_ptr.h"

namespace {

class Bstr {
  public:
    explicit Bstr(const std::wstring& text) : m_text(SysAllocString(text.c_str())) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(m_text); }
    BSTR Get() const { return m_text; }

  private:
    BSTR m_text;
};

VARIANT Text(BSTR text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

// Any program of the user can register a window with the shell's list as the desktop; only the
// shell's own is trusted. Where the desktop names no shell window (Wine's names none), the
// desktop window itself stands for it.
bool IsTheShellsWindow(HWND window) {
    const HWND shell = GetShellWindow();
    return window && window == (shell ? shell : GetDesktopWindow());
}

// The desktop's shell object: its window, its view, the view's application.
bool DesktopShell(ComPtr<IShellDispatch2>& shell) {
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.PutVoid())))
        return false;
    VARIANT empty;
    VariantInit(&empty);
    long window = 0;
    ComPtr<IDispatch> desktop;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    return windows->FindWindowSW(&empty, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                 desktop.Put()) == S_OK &&
           IsTheShellsWindow(static_cast<HWND>(LongToHandle(window))) &&
           desktop.As(IID_IServiceProvider, services) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                            browser.PutVoid())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.Put())) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid())) &&
           background.As(IID_IShellFolderViewDual, folderView) &&
           SUCCEEDED(folderView->get_Application(application.Put())) &&
           application.As(IID_IShellDispatch2, shell);
}

// COM for the calling thread while it lives, unless the thread has its own already.
class ComApartment {
  public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }

  private:
    HRESULT m_result;
};

} // namespace

bool ShellExecuteAsDesktopUser(const std::wstring& file, const std::wstring& parameters) {
    const ComApartment apartment;
    ComPtr<IShellDispatch2> shell;
    if (!DesktopShell(shell))
        return false;
    const Bstr fileText(file), parametersText(parameters), directory(L""), verb(L"open");
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(fileText.Get(), Text(parametersText.Get()),
                                         Text(directory.Get()), Text(verb.Get()), show));
}
