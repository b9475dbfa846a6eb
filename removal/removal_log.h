// The removal log that /LOG names: the steps of a removal as UTF-8 text lines.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

std::string ToUtf8(std::wstring_view text);

class RemovalLog {
  public:
    RemovalLog() = default;
    RemovalLog(const RemovalLog&) = delete;
    RemovalLog& operator=(const RemovalLog&) = delete;
    ~RemovalLog();

    // Creates or replaces the file; on failure the system's error code is returned.
    DWORD Create(const std::wstring& path);
    bool IsOpen() const { return m_file != nullptr; }
    void Line(const std::wstring& text);
    // The engine's diagnostics are written here too, so they stand where they occur.
    FILE* Stream() const { return m_file; }

  private:
    FILE* m_file = nullptr;
};

// Where the engine's diagnostics go: the log's stream, else standard output.
FILE* DiagnosticsStream(const RemovalLog* log);
