#include "tools/install_log_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "removal/install_log.h"

bool WriteInstallLogImage(const std::wstring& path, const InstallLogImage& image) {
    if (image.slots.size() > kLogSlots)
        return false;
    std::vector<unsigned char> bytes(std::max(image.length, sizeof(InstallLogRecord)), 0xAB);
    InstallLogRecord record = {};
    record.count = image.count;
    for (size_t i = 0; i < image.slots.size(); ++i) {
        const std::wstring& text = image.slots[i];
        std::copy_n(text.begin(), std::min<size_t>(text.size(), kLogSlotLength), record.entries[i]);
    }
    std::memcpy(bytes.data(), &record, sizeof record);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool written = fwrite(bytes.data(), 1, image.length, file) == image.length;
    return fclose(file) == 0 && written;
}

bool WriteInstallLog(const std::wstring& path, const std::vector<std::wstring>& entries) {
    const auto tooLong = [](const std::wstring& e) { return e.size() >= kLogSlotLength; };
    if (entries.size() > kLogSlots || std::any_of(entries.begin(), entries.end(), tooLong))
        return false;
    return WriteInstallLogImage(path, {static_cast<int32_t>(entries.size()), entries});
}
