// The removal log that /LOG names: the steps of a removal as UTF-8 text lines.
#pragma once

#include <windows.h>

#include <string>

#include "framework/unique_handle.h"

class RemovalLog {
  public:
    // Creates or replaces the file; on failure the system's error code is returned.
    DWORD Create(const std::wstring& path);
    bool IsOpen() const { return static_cast<bool>(m_file); }
    // Each line of text ends in CRLF, whatever line ends it brings.
    void Line(const std::wstring& text);

  private:
    void Write(const std::string& bytes);

    UniqueFileHandle m_file;
};
