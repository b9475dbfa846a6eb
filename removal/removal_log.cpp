#include "removal/removal_log.h"

#include "framework/file_in_place.h"
#include "framework/text.h"

DWORD RemovalLog::Create(const std::wstring& path) {
    // Readable while it is written, so a deployment agent can follow a long run. The folder
    // may be one any user can write to, C:\Windows\Temp among them: a file a user laid there
    // first is replaced, so that no user can change the log later.
    DWORD error = ERROR_SUCCESS;
    m_file = CreateAdministrationFile(path, FILE_SHARE_READ, error);
    if (!m_file)
        return error;
    // The byte-order mark lets every reader, PowerShell 5 and Notepad on Windows 7 among
    // them, take the file for UTF-8.
    Write("\xEF\xBB\xBF");
    return ERROR_SUCCESS;
}

void RemovalLog::Line(const std::wstring& text) {
    if (!m_file)
        return;
    std::string line;
    for (const char c : ToUtf8(text) + "\n") {
        if (c == '\n')
            line += "\r\n";
        else if (c != '\r')
            line += c;
    }
    // Unbuffered: a run that is killed half-way still leaves what it did.
    Write(line);
}

void RemovalLog::Write(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(m_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
