// The removal: logged files, the product folder's contents, the Start-menu group and the
// product's registration, each step reported as it is taken.
#pragma once

#include <windows.h>

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
    // What could not be removed, for the log's reader; never a line of the list.
    virtual void Diagnostic(const std::wstring& line) = 0;
};

// The removal's steps on the calling thread, up to the registration's.
void RunRemoval(const RemovalJob& job, RemovalProgress& progress);

// Deletes the product's uninstall key with all its subkeys; 1 when it was deleted.
BOOL UnregisterProduct(CNtRegistry& registry);
