// Helpers for the link tests: a web-page association of our own, and the command line the
// recording program behind it was started with.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <share.h>
#include <string>

namespace link_test {

inline const wchar_t kPageClass[] = L"CorvinaTest.LinkPage";
inline const wchar_t kOpenCommandKey[] = L"CorvinaTest.LinkPage\\shell\\open\\command";
inline const wchar_t kRecordPath[] = L"C:\\windows\\temp\\corvina_link_record.txt";

// Points ".htm" at a class of ours while it lives, then puts the old class back.
struct ScopedHtmAssociation {
    explicit ScopedHtmAssociation(const std::optional<std::wstring>& openCommand) {
        DWORD size = sizeof(m_old);
        RegGetValueW(HKEY_CLASSES_ROOT, L".htm", nullptr, RRF_RT_REG_SZ, nullptr, m_old, &size);
        RegSetValueW(HKEY_CLASSES_ROOT, L".htm", REG_SZ, kPageClass, 0);
        SetOpenCommand(openCommand);
    }
    ~ScopedHtmAssociation() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kPageClass);
        RegDeleteKeyValueW(HKEY_CLASSES_ROOT, L".htm", nullptr);
        // Our own class as the old one was left by a run killed before it could restore.
        if (*m_old && wcscmp(m_old, kPageClass))
            RegSetValueW(HKEY_CLASSES_ROOT, L".htm", REG_SZ, m_old, 0);
        else
            RegDeleteKeyW(HKEY_CLASSES_ROOT, L".htm"); // refused while it has subkeys
    }
    // Without a command the key is made with no default value.
    void SetOpenCommand(const std::optional<std::wstring>& command) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kPageClass);
        RegSetValueW(HKEY_CLASSES_ROOT, kOpenCommandKey, REG_SZ, command.value_or(L"").c_str(), 0);
        if (!command)
            RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kOpenCommandKey, nullptr);
    }

    wchar_t m_old[MAX_PATH] = {};
};

// Names the file the recording program writes (children inherit the name) and reads it.
struct RecordFile {
    RecordFile() {
        DeleteFileW(kRecordPath);
        SetEnvironmentVariableW(L"CORVINA_LINK_RECORD", kRecordPath);
    }
    // The recorded command line, waiting up to 10 s for it; the file goes with it.
    std::optional<std::wstring> Take() const {
        wchar_t line[1024] = {};
        for (int tries = 0; tries < 500; ++tries, Sleep(20))
            // The program holds the file unshared until all of it is written.
            if (FILE* file = _wfsopen(kRecordPath, L"rb", _SH_DENYRW)) {
                fread(line, sizeof(wchar_t), 1023, file);
                fclose(file);
                DeleteFileW(kRecordPath);
                return line;
            }
        return std::nullopt;
    }
};

} // namespace link_test
