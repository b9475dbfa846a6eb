// Helpers for the link tests: a web-page association of our own, the file the recording
// program writes, and a watcher that reads and closes the error box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <thread>

namespace link_test {

inline std::wstring RecorderPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self = path;
    return self.substr(0, self.find_last_of(L'\\')) + L"\\link_recorder.exe";
}

// The open command of a browser that takes the page as -url "%1".
inline std::wstring RecorderOpenCommand() {
    return L"\"" + RecorderPath() + L"\" -url \"%1\"";
}

inline std::optional<std::wstring> ReadDefault(const wchar_t* subkey) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CLASSES_ROOT, subkey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size))
        return std::nullopt;
    return value;
}

// Without a value the key is made with no default value.
inline void WriteDefault(const std::wstring& subkey, const std::optional<std::wstring>& value) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
    if (value)
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// Points ".htm" at a class of ours while it lives, then puts the old association back.
class ScopedHtmAssociation {
  public:
    explicit ScopedHtmAssociation(const std::optional<std::wstring>& openCommand)
        : m_keyExisted(KeyExists(L".htm")), m_oldClass(ReadDefault(L".htm")) {
        // A run killed before it could restore left our own class behind: there was none.
        if (m_oldClass == kClass) {
            m_keyExisted = false;
            m_oldClass.reset();
        }
        WriteDefault(L".htm", kClass);
        SetOpenCommand(openCommand);
    }
    ~ScopedHtmAssociation() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
        if (m_oldClass)
            WriteDefault(L".htm", m_oldClass);
        else if (m_keyExisted)
            RegDeleteKeyValueW(HKEY_CLASSES_ROOT, L".htm", nullptr);
        else
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm");
    }
    void SetOpenCommand(const std::optional<std::wstring>& openCommand) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
        WriteDefault(std::wstring(kClass) + L"\\shell\\open\\command", openCommand);
    }

  private:
    static bool KeyExists(const wchar_t* subkey) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    static constexpr wchar_t kClass[] = L"CorvinaTest.LinkPage";
    bool m_keyExisted;
    std::optional<std::wstring> m_oldClass;
};

// The command line the recording program was started with, taken from its file.
class RecordFile {
  public:
    RecordFile() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"corvina_link_record.txt";
        DeleteFileW(m_path.c_str());
        SetEnvironmentVariableW(L"CORVINA_LINK_RECORD", m_path.c_str());
    }
    std::optional<std::wstring> Take() const {
        for (int tries = 0; tries < 500; ++tries, Sleep(20)) {
            HANDLE file =
                CreateFileW(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                continue;
            std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
            DWORD read = 0;
            ReadFile(file, text.data(), static_cast<DWORD>(text.size() * 2), &read, nullptr);
            CloseHandle(file);
            DeleteFileW(m_path.c_str());
            return text;
        }
        return std::nullopt;
    }

  private:
    std::wstring m_path;
};

struct SeenBox {
    std::wstring text;
    HWND owner = nullptr;
};

// On its own thread, waits for this process's "Uninstall" box, reads it and presses OK.
class MessageBoxWatcher {
  public:
    MessageBoxWatcher() : m_thread([this] { Watch(); }) {}
    ~MessageBoxWatcher() { Seen(); }
    std::optional<SeenBox> Seen() {
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }

  private:
    void Watch() {
        for (int tries = 0; tries < 500; ++tries, Sleep(20)) {
            // FindWindow reads captions without sending messages to the busy page thread.
            const HWND box = FindWindowW(L"#32770", L"Uninstall");
            DWORD process = 0;
            if (!box || !GetWindowThreadProcessId(box, &process) || !IsWindowVisible(box) ||
                process != GetCurrentProcessId())
                continue;
            SeenBox seen{L"", GetWindow(box, GW_OWNER)};
            wchar_t text[512] = {};
            for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr));)
                if (InternalGetWindowText(child, text, 512) > 0)
                    seen.text = text;
            m_seen = seen;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
        }
    }

    std::optional<SeenBox> m_seen;
    std::thread m_thread;
};

} // namespace link_test
