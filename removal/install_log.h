// Install.log: the installer's list of the files it copied, one fixed record, and its reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr int kLogSlots = 100;
inline constexpr int kLogSlotLength = 260; // MAX_PATH code units, NUL included

// The byte image of the file, the same on disk and in memory.
struct InstallLogRecord {
    int32_t count;
    wchar_t entries[kLogSlots][kLogSlotLength];
};
static_assert(sizeof(wchar_t) == 2, "slots hold UTF-16 code units");
static_assert(sizeof(InstallLogRecord) == 52004);
static_assert(offsetof(InstallLogRecord, entries) == 4);
static_assert(sizeof(InstallLogRecord::entries[0]) == 520);

struct LoggedFile {
    std::wstring path;
    bool terminated; // false: the slot has no NUL, so its text cannot name a real path
};

// Fills the record from <Program Files>\<productDir>\Install.log when the removal accepts that
// folder (ResolvePlace). A log that cannot be opened or is refused reads as an empty one;
// a short file leaves the rest zero; bytes past the record are ignored.
void ReadInstallLog(InstallLogRecord& log, const std::wstring& productDir);

// The number of slots to handle: count, but never more than there are slots.
int LoggedEntryCount(const InstallLogRecord& log);

// Slot index up to its NUL, never past the slot's end.
LoggedFile LoggedEntry(const InstallLogRecord& log, int index);
