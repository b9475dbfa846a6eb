// Drives the real Uninstall.exe from outside, with window messages only, as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/unique_handle.h"

class RunningProgram {
  public:
    explicit RunningProgram(const std::wstring& exe);
    // A program still running when its test ends is ended with it.
    ~RunningProgram() { Kill(); }
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

// The program's visible dialog with caption "Uninstall" that holds the control marker and
// not the control absent.
HWND FindPage(DWORD processId, int marker, int absent = 0);
HWND WaitForPage(DWORD processId, int marker);

std::wstring ItemText(HWND page, int id);
bool ItemEnabled(HWND page, int id);
std::vector<std::wstring> ListLines(HWND list);
// Presses a button the way a mouse click would.
void Press(HWND page, int id);
// A left click on a static item (what a link reacts to).
void ClickItem(HWND page, int id);

// Saves the window as seen on screen, as name.png in the host folder CORVINA_SCREENSHOTS
// names, when it is set.
void SaveScreenshot(HWND window, const std::wstring& name);
