// Helpers for the CNtRegistry tests: a scratch key of the real registry per test, witnessed with
// the ordinary registry API, and a provider that hides or replaces chosen ntdll routines.
#pragma once

#include <windows.h>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ntregistry/nt_registry.h"

template <typename F> F RealNt(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

template <typename F> FARPROC AsFarProc(F function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

struct ShownMessage {
    std::wstring text, caption;
    UINT type;
};

class TestProvider : public NtdllEntryPointProvider {
  public:
    std::set<std::string> hidden;
    std::map<std::string, FARPROC> replaced;
    std::vector<std::string> lookups;
    std::vector<ShownMessage> messages;

    FARPROC FindEntryPoint(HMODULE module, const char* name) override {
        lookups.push_back(name);
        if (hidden.count(name))
            return nullptr;
        auto it = replaced.find(name);
        return it != replaced.end() ? it->second
                                    : NtdllEntryPointProvider::FindEntryPoint(module, name);
    }
    void ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type) override {
        messages.push_back({text, caption, type});
    }
};

// HKLM\SOFTWARE\<unique name>; Path() is relative to the machine root, as callers write it.
class ScratchKey {
  public:
    explicit ScratchKey(const wchar_t* test)
        : m_path(L"SOFTWARE\\CorvinaNtRegTest-" + std::to_wstring(GetCurrentProcessId()) + test) {
        Remove();
        Create(L"");
    }
    ~ScratchKey() { Remove(); }

    std::wstring Path(const std::wstring& sub = L"") const {
        return sub.empty() ? m_path : m_path + L"\\" + sub;
    }
    void Create(const std::wstring& sub) const {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, Path(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
        RegCloseKey(key);
    }
    bool Exists(const std::wstring& sub) const {
        HKEY key = nullptr;
        const bool found =
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, Path(sub).c_str(), 0, KEY_READ, &key) == 0;
        RegCloseKey(key);
        return found;
    }
    void PutText(const std::wstring& sub, const wchar_t* name, const std::wstring& text,
                 DWORD type = REG_SZ) const {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, Path(sub).c_str(), name, type, text.c_str(),
                        DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
    // The twin of sub whose name counts one NUL more, with the value Name = text.
    void CreateNulTwin(const std::wstring& sub, const std::wstring& text) const {
        std::wstring native = L"\\Registry\\Machine\\" + Path(sub);
        const USHORT bytes = USHORT((native.size() + 1) * sizeof(wchar_t));
        UNICODE_STRING name{bytes, bytes, native.data()};
        OBJECT_ATTRIBUTES attributes = {};
        attributes.Length = sizeof(attributes);
        attributes.ObjectName = &name;
        HANDLE key = nullptr;
        RealNt<NtCreateKeyFn>("NtCreateKey")(&key, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0,
                                             nullptr);
        RegSetValueExW(HKEY(key), L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(HKEY(key));
    }

  private:
    void Remove() const { RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_path.c_str()); }
    std::wstring m_path;
};
