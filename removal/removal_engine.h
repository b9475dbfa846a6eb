// The removal: logged files, the product folder's contents, the Start-menu group and the
// product's registration, each step reported as it is taken.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/language.h"
#include "ntregistry/nt_registry.h"
#include "removal/install_log.h"
#include "removal/removal_step.h"

// What to remove: the log as read, the two folder names from the registration, and the
// registry wrapper that deletes the product key.
struct RemovalJob {
    const InstallLogRecord& log;
    std::wstring productDir;
    std::wstring menuGroup;
    CNtRegistry& registry;
};

// Where the engine reports each step (the progress page implements it with synchronous messages;
// an unattended run writes lines to a log file instead).
class RemovalProgress {
  public:
    virtual ~RemovalProgress() = default;
    virtual void ClearList() = 0;
    virtual void AddLine(const std::wstring& line) = 0;
    // A step, with its path where it names one; by default its English line.
    virtual void Report(RemovalStep step, const std::wstring& path = {}) {
        AddLine(StepLine(step, path, kEnglish));
    }
    virtual void StepProgress() = 0;
};

// The removal's steps on the calling thread, up to the registration's; diagnostics go to the
// given stream.
void RunRemoval(const RemovalJob& job, RemovalProgress& progress, FILE* diagnostics = stdout);

// True for a file the removal spares in the product folder (its path ends in "Uninstall.exe").
bool IsSparedFile(const std::wstring& path);

enum class FolderFate { kGone, kAtRestart, kStays };

// Removes everything below folder except the spared files; the folder itself stays. Links are
// removed as links and never entered; a folder that is itself a link is left alone. Files in
// use go at the next restart, and so do the folders that only they keep. Tells what became
// of the contents.
FolderFate DeleteFolderContents(const std::wstring& folder, RemovalProgress& progress,
                                FILE* diagnostics = stdout);

// Deletes the product's uninstall key with all its subkeys; 1 when it was deleted.
BOOL UnregisterProduct(CNtRegistry& registry);

// The full path of parent\name when it lies strictly below parent with no link on the way,
// else empty. name must be a plain relative name: not empty, not rooted, no drive, no "..".
std::wstring ResolveFolderBelow(const std::wstring& parent, const std::wstring& name);
