// The removal: logged files, the product folder's contents, the Start-menu group and the
// product's registration, reported step by step to the page that started it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "ntregistry/nt_registry.h"
#include "removal/install_log.h"

// What the engine needs of its page. The real page forwards each call to its controls with a
// synchronous window message, so the worker waits until the page's thread has carried it out.
class RemovalPage {
  public:
    virtual ~RemovalPage() = default;
    virtual void EnableNext(bool enable) = 0;
    virtual void ClearList() = 0;
    virtual void AddLine(const std::wstring& line) = 0;
    virtual void StepProgress() = 0;
    virtual void SetStatusText(const std::wstring& text) = 0;
    virtual const InstallLogRecord& Log() const = 0;
    virtual const std::wstring& ProductDir() const = 0;
    virtual const std::wstring& MenuGroup() const = 0;
    virtual CNtRegistry& Registry() = 0;
};

// Thread procedure: page is the RemovalPage*. Diagnostics go to standard output.
DWORD WINAPI RemovalWorker(LPVOID page);

// The whole removal on the calling thread; diagnostics go to the given stream.
void RunRemoval(RemovalPage& page, FILE* diagnostics = stdout);

// Removes everything below folder except files whose path ends in "Uninstall.exe"; the folder
// itself stays. Links are removed as links and never entered; a folder that is itself a link
// is left alone.
void DeleteFolderContents(std::wstring folder, FILE* diagnostics = stdout);

// Deletes the product's uninstall key with all its subkeys; 1 when it was deleted.
BOOL UnregisterProduct(RemovalPage& page);

// The full path of parent\name when it lies strictly below parent with no link on the way,
// else empty. name must be a plain relative name: not empty, not rooted, no drive, no "..".
std::wstring ResolveFolderBelow(const std::wstring& parent, const std::wstring& name);
