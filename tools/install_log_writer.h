// Writes Install.log files as the family's installer does, and damaged ones for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A real log naming entries (count = entries.size()). False when there are more than 100
// entries, one of them does not fit its slot with its NUL, or the file cannot be written.
bool WriteInstallLog(const std::wstring& path, const std::vector<std::wstring>& entries);

// The log exactly as described: any count, slots filled in order (a text of 260 code units
// or more fills its slot without a NUL), and the file cut to length bytes or padded past
// the record with 0xAB bytes.
struct InstallLogImage {
    int32_t count = 0;
    std::vector<std::wstring> slots;
    size_t length = 52004;
};
bool WriteInstallLogImage(const std::wstring& path, const InstallLogImage& image);
