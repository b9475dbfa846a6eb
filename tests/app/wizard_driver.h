// Drives the real Uninstall.exe from outside, with window messages only, as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/unique_handle.h"

class RunningProgram {
  public:
    RunningProgram() = default;
    RunningProgram(RunningProgram&&) = default;
    RunningProgram& operator=(RunningProgram&&) = default;
    // A program still running when its test ends is ended with it.
    ~RunningProgram();

    static RunningProgram Start(const std::wstring& exe, const std::wstring& arguments = {});
    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    // The exit code, or STILL_ACTIVE when it did not end within the time.
    DWORD WaitForExit(DWORD milliseconds) const;
    void Kill() const;

  private:
    UniqueKernelHandle m_process;
    DWORD m_id = 0;
};

// Polls until the condition holds; false when the time ran out first.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);

// The program's top-level dialog with this caption that holds the control `marker`.
HWND FindPage(DWORD processId, const std::wstring& caption, int marker);
HWND WaitForPage(DWORD processId, int marker, DWORD milliseconds = 20000);

std::wstring WindowText(HWND window);
std::wstring ItemText(HWND page, int id);
bool ItemEnabled(HWND page, int id);
std::vector<std::wstring> ListLines(HWND list);
// Presses a button the way a mouse click would; a disabled button ignores it.
void Press(HWND page, int id);
// A left click on a static item (what a link reacts to).
void ClickItem(HWND page, int id);

// Saves the window as seen on screen when CORVINA_SCREENSHOTS names a folder.
void SaveScreenshot(HWND window, const std::wstring& name);

// The Windows path of a Unix path, through Wine's Z: drive.
std::wstring WindowsPath(const std::string& unixPath);
std::wstring KnownFolder(int csidl);
