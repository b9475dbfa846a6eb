#include "tests/app/wizard_driver.h"

#include <shlobj.h>

#include <cstdio>

RunningProgram::~RunningProgram() {
    if (m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

RunningProgram RunningProgram::Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    RunningProgram program;
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        program.m_process.Reset(info.hProcess);
        program.m_id = info.dwProcessId;
    }
    return program;
}

DWORD RunningProgram::WaitForExit(DWORD milliseconds) const {
    if (WaitForSingleObject(m_process.Get(), milliseconds) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

void RunningProgram::Kill() const {
    TerminateProcess(m_process.Get(), 1);
    WaitForSingleObject(m_process.Get(), 5000);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(20);
    }
}

namespace {
struct PageSearch {
    DWORD processId;
    const std::wstring* caption;
    int marker;
    HWND found;
};

BOOL CALLBACK MatchPage(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<PageSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (std::wstring(className) != L"#32770" || WindowText(window) != *search->caption)
        return TRUE;
    if (search->marker && !GetDlgItem(window, search->marker))
        return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

HWND FindPage(DWORD processId, const std::wstring& caption, int marker) {
    PageSearch search{processId, &caption, marker, nullptr};
    EnumWindows(&MatchPage, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForPage(DWORD processId, int marker, DWORD milliseconds) {
    HWND page = nullptr;
    WaitUntil([&] { return (page = FindPage(processId, L"Uninstall", marker)) != nullptr; },
              milliseconds);
    return page;
}

std::wstring WindowText(HWND window) {
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &copied);
    return std::wstring(text, copied);
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
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring line(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const LRESULT copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                            reinterpret_cast<LPARAM>(line.data()));
        line.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
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

static void WriteBitmapFile(const std::wstring& path, HDC screen, HBITMAP bitmap, int width,
                            int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    header.biSizeImage = stride * static_cast<DWORD>(height);
    std::vector<BYTE> pixels(header.biSizeImage);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
        fwrite(&file, sizeof(file), 1, out);
        fwrite(&header, sizeof(header), 1, out);
        fwrite(pixels.data(), 1, pixels.size(), out);
        fclose(out);
    }
}

void SaveScreenshot(HWND window, const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"CORVINA_SCREENSHOTS", folder, MAX_PATH))
        return;
    Sleep(700); // let the page finish painting
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    WriteBitmapFile(std::wstring(folder) + L"\\" + name + L".bmp", screen, bitmap, width, height);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

std::wstring WindowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
