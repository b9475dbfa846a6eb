#include "tests/app/wizard_driver.h"

#include "tests/test_support.h"

RunningProgram::RunningProgram(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        m_process.Reset(info.hProcess);
        m_id = info.dwProcessId;
    }
}

DWORD RunningProgram::WaitForExit(DWORD milliseconds) const {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(m_process.Get(), milliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

void RunningProgram::Kill() const {
    if (m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() >= end)
            return false;
        Sleep(20);
    }
    return true;
}

static std::wstring WindowText(HWND window) {
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &copied);
    return std::wstring(text, copied);
}

HWND FindPage(DWORD processId, int marker, int absent) {
    struct Search {
        DWORD processId;
        int marker, absent;
        HWND found;
    } search{processId, marker, absent, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) __attribute__((stdcall))->BOOL {
            auto* search = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != search->processId || !IsWindowVisible(window) ||
                WindowText(window) != L"Uninstall" || !GetDlgItem(window, search->marker) ||
                (search->absent && GetDlgItem(window, search->absent)))
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForPage(DWORD processId, int marker) {
    HWND page = nullptr;
    WaitUntil([&] { return (page = FindPage(processId, marker)) != nullptr; }, 20000);
    return page;
}

std::wstring ItemText(HWND page, int id) {
    return WindowText(GetDlgItem(page, id));
}

bool ItemEnabled(HWND page, int id) {
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

std::vector<std::wstring> ListLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
        std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(line);
    }
    return lines;
}

void Press(HWND page, int id) {
    PostMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

void ClickItem(HWND page, int id) {
    HWND item = GetDlgItem(page, id);
    PostMessageW(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(item, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void SaveScreenshot(HWND window, const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"CORVINA_SCREENSHOTS", folder, MAX_PATH))
        return;
    Sleep(700); // let the page finish painting
    RECT r;
    GetWindowRect(window, &r);
    // Wine's display is the host's X display, so the host's import sees the page as drawn.
    test::Host(L"/usr/bin/import -window root -crop " + std::to_wstring(r.right - r.left) + L"x" +
               std::to_wstring(r.bottom - r.top) + L"+" + std::to_wstring(r.left) + L"+" +
               std::to_wstring(r.top) + L" '" + folder + L"/" + name + L".png'");
}
