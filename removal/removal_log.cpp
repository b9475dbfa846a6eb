#include "removal/removal_log.h"

#include <fcntl.h>
#include <io.h>

#include "framework/file_in_place.h"

std::string ToUtf8(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

RemovalLog::~RemovalLog() {
    if (m_file)
        fclose(m_file);
}

DWORD RemovalLog::Create(const std::wstring& path) {
    // Readable while it is written, so a deployment agent can follow a long run. The folder
    // may be one any user can write to, C:\Windows\Temp among them: a file a user laid there
    // first is replaced, so that no user can change the log later.
    DWORD error = ERROR_SUCCESS;
    HANDLE file = CreateAdministrationFile(path, FILE_SHARE_READ, error).Release();
    if (!file)
        return error;
    // Text mode: every "\n", the engine's diagnostics' included, ends a line as "\r\n".
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT);
    m_file = descriptor == -1 ? nullptr : _fdopen(descriptor, "w");
    if (!m_file) {
        if (descriptor == -1)
            CloseHandle(file);
        else
            _close(descriptor);
        return ERROR_OPEN_FAILED;
    }
    // The byte-order mark lets every reader, PowerShell 5 and Notepad on Windows 7 among
    // them, take the file for UTF-8.
    fputs("\xEF\xBB\xBF", m_file);
    return ERROR_SUCCESS;
}

void RemovalLog::Line(const std::wstring& text) {
    if (!m_file)
        return;
    std::string line = ToUtf8(text) + "\n";
    // Text mode makes every "\n" a "\r\n": a text that brings its own would get two.
    std::erase(line, '\r');
    fputs(line.c_str(), m_file);
    // A run that is killed half-way still leaves what it did.
    fflush(m_file);
}

FILE* DiagnosticsStream(const RemovalLog* log) {
    return log && log->IsOpen() ? log->Stream() : stdout;
}
