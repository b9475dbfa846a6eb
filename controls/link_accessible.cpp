#include "controls/link_accessible.h"

#include <oleacc.h>

#include <new>
#include <string>

#include "framework/com_ptr.h"

namespace {

// oleacc.dll is no KnownDLL: imported, the loader would look for it in the program's folder
// first, before any code of ours runs. Loaded here from the system folder, and kept: the objects
// handed to screen readers run its code. LOAD_LIBRARY_SEARCH_SYSTEM32 came with KB2533623;
// where it is refused, the full path stands in, its own folder searched first for its imports.
HMODULE LoadOleacc() {
    if (const HMODULE module = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    wchar_t system[MAX_PATH];
    const UINT length =
        GetLastError() == ERROR_INVALID_PARAMETER ? GetSystemDirectoryW(system, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return LoadLibraryExW((std::wstring(system, length) + L"\\oleacc.dll").c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE Oleacc() {
    static const HMODULE module = LoadOleacc();
    return module;
}

template <typename Fn> Fn* OleaccEntry(const char* name) {
    const HMODULE module = Oleacc();
    return module
               ? reinterpret_cast<Fn*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
               : nullptr;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// Wraps the standard client object: what it answers for a static text is right but for the
// role, the value, the state and the action.
class CLinkAccessible final : public IAccessible {
  public:
    CLinkAccessible(ComPtr<IAccessible> standard, HWND link, std::wstring target)
        : m_standard(std::move(standard)), m_link(link), m_target(std::move(target)) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    // IDispatch: the standard object's, which knows the interface's type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return m_standard->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        return m_standard->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override {
        return m_standard->Invoke(id, iid, lcid, flags, params, result, exception, argError);
    }

    // IAccessible: the link's own answers.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child))
            return m_standard->get_accRole(child, role);
        if (!role)
            return E_POINTER;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child))
            return m_standard->get_accValue(child, value);
        return Text(m_target.c_str(), value);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT hr = m_standard->get_accState(child, state);
        if (SUCCEEDED(hr) && IsSelf(child) && state->vt == VT_I4)
            state->lVal |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsSelf(child))
            return m_standard->get_accDefaultAction(child, action);
        return Text(L"Jump", action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child))
            return m_standard->accDoDefaultAction(child);
        // Posted as the click it stands for: the caller does not wait for the opened page.
        if (!IsWindow(m_link) || !PostMessageW(GetParent(m_link), WM_COMMAND,
                                               MAKEWPARAM(GetDlgCtrlID(m_link), STN_CLICKED),
                                               reinterpret_cast<LPARAM>(m_link)))
            return E_FAIL;
        return S_OK;
    }

    // IAccessible: the standard object's answers.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return m_standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return m_standard->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return m_standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return m_standard->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return m_standard->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return m_standard->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return m_standard->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return m_standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_standard->put_accValue(child, value);
    }

  private:
    ~CLinkAccessible() = default;

    static HRESULT Text(const wchar_t* text, BSTR* out) {
        if (!out)
            return E_POINTER;
        *out = SysAllocString(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG m_refs = 1;
    ComPtr<IAccessible> m_standard;
    HWND m_link;
    std::wstring m_target;
};

} // namespace

LRESULT AnswerLinkObjectRequest(HWND link, const std::wstring& target, WPARAM wp, LPARAM lp) {
    if (static_cast<LONG>(static_cast<DWORD>(lp)) != OBJID_CLIENT)
        return 0;
    static const auto createStandard =
        OleaccEntry<decltype(CreateStdAccessibleObject)>("CreateStdAccessibleObject");
    static const auto resultFromObject =
        OleaccEntry<decltype(LresultFromObject)>("LresultFromObject");
    ComPtr<IAccessible> standard;
    if (!createStandard || !resultFromObject ||
        FAILED(createStandard(link, OBJID_CLIENT, __uuidof(IAccessible), standard.PutVoid())))
        return 0;
    const ComPtr<IAccessible> object(new (std::nothrow)
                                         CLinkAccessible(std::move(standard), link, target));
    if (!object)
        return 0;
    const LRESULT result = resultFromObject(__uuidof(IAccessible), wp, object.Get());
    return result < 0 ? 0 : result;
}
