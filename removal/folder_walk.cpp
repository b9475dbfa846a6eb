#include "removal/folder_walk.h"

#include <winternl.h>

#include <vector>

#include "framework/file_in_place.h"
#include "framework/long_path.h"

namespace {

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

// The listing's attributes only spare work and veto: the entry's own handle decides.
struct Listed {
    std::wstring name;
    bool folder;
    bool link;
};

// The entries of a folder, listed from its handle, whole before any of them goes.
std::vector<Listed> List(HANDLE folder) {
    std::vector<Listed> names;
    std::vector<LONGLONG> buffer(8192);
    const DWORD size = static_cast<DWORD>(buffer.size()) * DWORD{sizeof(LONGLONG)};
    while (GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, buffer.data(), size)) {
        const auto* at = reinterpret_cast<const BYTE*>(buffer.data());
        for (DWORD next = 1; next != 0; at += next) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (!IsDotEntry(name.c_str()))
                names.push_back({std::move(name),
                                 (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                 (entry->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
            next = entry->NextEntryOffset;
        }
    }
    return names;
}

// One open folder of the walk; entries[next] is the next one to judge.
struct Level {
    HANDLE folder;
    UniqueFileHandle owned; // every folder's but the top's
    std::wstring final;
    std::vector<Listed> entries;
    size_t next = 0;
    bool spared = false;    // it holds a spared file
    bool blocked = false;   // something in it stays
    bool atRestart = false; // something in it goes only at the next restart
};

class Walk {
  public:
    Walk(const Place& place, bool remove, WalkReport& report)
        : m_place(place), m_remove(remove), m_report(report) {}

    // Depth first in the order the platform lists entries. The open folders live on the heap,
    // so no depth of folders can exhaust the worker's stack.
    FolderFate Run() {
        if (m_place.state != Place::kOpen)
            return FolderFate::kGone;
        m_open.push_back({m_place.folder.Get(), {}, m_place.final, List(m_place.folder.Get())});
        while (true) {
            Level& level = m_open.back();
            if (level.next < level.entries.size()) {
                Judge(level, level.entries[level.next++]); // may invalidate level
                continue;
            }
            Level done = std::move(level);
            m_open.pop_back();
            if (m_open.empty())
                return done.blocked || done.spared ? FolderFate::kStays
                       : done.atRestart            ? FolderFate::kAtRestart
                                                   : FolderFate::kGone;
            Leave(done, m_open.back());
        }
    }

  private:
    // Decides an entry once, by its own handle: spare it, remove the link, delete the file,
    // or enter the folder.
    void Judge(Level& level, const Listed& listed) {
        const std::wstring& name = listed.name;
        UniqueFileHandle entry;
        if (m_remove && !listed.folder && !IsSparedName(name)) {
            // A file, or a link as itself, goes in one step: opened to be deleted once closed.
            // Wine 8 opens what a Unix link to a file leads to; no Windows program there can
            // lay one, and no test here shows it.
            const NTSTATUS status = OpenBelow(
                level.folder, name, DELETE, FILE_NON_DIRECTORY_FILE | FILE_DELETE_ON_CLOSE, entry);
            if (NT_SUCCESS(status) || status == kStatusObjectNameNotFound)
                return;
        }
        ACCESS_MASK granted = kFolderAccess | (m_remove ? DELETE : 0);
        NTSTATUS status = OpenBelow(level.folder, name, granted, 0, entry);
        const bool held = status == kStatusSharingViolation;
        // What cannot be opened to go is still judged, and a folder held open still emptied.
        for (const ACCESS_MASK access : {kFolderAccess, ACCESS_MASK{FILE_READ_ATTRIBUTES}}) {
            if (NT_SUCCESS(status) || status == kStatusObjectNameNotFound)
                break;
            granted = access;
            status = OpenBelow(level.folder, name, granted, 0, entry);
        }
        if (status == kStatusObjectNameNotFound)
            return;
        const DWORD attributes =
            NT_SUCCESS(status) ? HandleAttributes(entry.Get()) : INVALID_FILE_ATTRIBUTES;
        const bool readable = attributes != INVALID_FILE_ATTRIBUTES;
        const bool folder = readable && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        const bool link = readable && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (!folder && IsSparedName(name)) {
            level.spared = true;
            return;
        }
        // The handle decides; the listing only vetoes. Where the platform opens what a link
        // leads to (Wine does with Unix links), the listing still shows the link.
        const bool agreed = readable && link == listed.link;
        if (agreed && folder && !link && (granted & FILE_LIST_DIRECTORY)) {
            const HANDLE handle = entry.Get();
            m_open.push_back({handle, std::move(entry), level.final + L"\\" + name, List(handle)});
            return;
        }
        if (!m_remove) {
            m_report.StillThere(Plain(level.final + L"\\" + name));
            return;
        }
        const bool gone = agreed && (held ? !folder && !link && GoesAtRestart(entry.Get(), level)
                                          : DeleteByHandle(entry.Get()));
        if (!gone)
            Stays(level, folder);
    }

    // Something held open, scheduled by its handle's final path; level is the folder it keeps.
    bool GoesAtRestart(HANDLE handle, Level& level) {
        if (!MayWaitForRestart(handle, m_place))
            return false;
        const std::wstring scheduled = ScheduleAtRestart(handle);
        if (scheduled.empty())
            return false;
        m_report.AtRestart(scheduled);
        level.atRestart = true;
        return true;
    }

    void Stays(Level& level, bool folder) {
        m_report.Failed(folder ? L"Delete directory failed." : L"Delete file failed.");
        level.blocked = true;
    }

    // A folder whose entries were all judged: removed once empty, or at the next restart when
    // only files that go then keep it.
    void Leave(Level& done, Level& parent) {
        parent.spared = parent.spared || done.spared;
        if (!m_remove) {
            if (!done.spared)
                m_report.StillThere(Plain(done.final));
            return;
        }
        if (DeleteByHandle(done.folder))
            return;
        if (!done.blocked && !done.spared && done.atRestart && GoesAtRestart(done.folder, parent))
            return;
        Stays(parent, true);
    }

    const Place& m_place;
    const bool m_remove;
    WalkReport& m_report;
    std::vector<Level> m_open;
};

} // namespace

FolderFate EmptyFolder(const Place& place, WalkReport& report) {
    return Walk(place, true, report).Run();
}

void SurveyFolder(const Place& place, WalkReport& report) {
    Walk(place, false, report).Run();
}
