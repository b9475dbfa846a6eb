#include "controls/link_opener.h"

#include <shellapi.h>

#include <cwchar>

namespace {

const size_t kCommandBufferChars = 2 * MAX_PATH;
const size_t kValueBufferChars = MAX_PATH;
const wchar_t kAppTitle[] = L"Uninstall";

bool Succeeded(LaunchCode code) {
    return code > 32;
}

// Opens a key below HKEY_CLASSES_ROOT and reads its default value.
bool ReadClassDefault(const std::wstring& subkey, std::wstring& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    return ReadDefaultValue(key, out);
}

// WinExec takes the command line in the thread's ANSI code page.
std::string ToThreadAnsi(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);
    return ansi;
}

const wchar_t* KnownErrorText(LaunchCode code) {
    switch (code) {
    case 0:
        return L"The operating system is out\nof memory or resources.";
    case SE_ERR_FNF:
        return L"The specified file was not found.";
    case SE_ERR_PNF:
        return L"The specified path was not found.";
    case SE_ERR_ACCESSDENIED:
        return L"The operating system denied\naccess to the specified file.";
    case SE_ERR_OOM:
        return L"There was not enough memory to complete the operation.";
    case ERROR_BAD_FORMAT:
        return L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case SE_ERR_SHARE:
        return L"A sharing violation occurred. ";
    case SE_ERR_ASSOCINCOMPLETE:
        return L"The filename association is\nincomplete or invalid.";
    case SE_ERR_DDETIMEOUT:
        return L"The DDE transaction could not\nbe completed because the request timed out.";
    case SE_ERR_DDEFAIL:
        return L"The DDE transaction failed.";
    case SE_ERR_DDEBUSY:
        return L"The DDE transaction could not\nbe completed because other DDE transactions\n"
               L"were being processed.";
    case SE_ERR_NOASSOC:
        return L"There is no application associated\nwith the given filename extension.";
    case SE_ERR_DLLNOTFOUND:
        return L"The specified dynamic-link library was not found.";
    default:
        return nullptr;
    }
}

} // namespace

LaunchCode OpenLink(const std::wstring& target) {
    const HINSTANCE shellResult =
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
    const auto code = static_cast<LaunchCode>(reinterpret_cast<INT_PTR>(shellResult));
    if (Succeeded(code))
        return code;

    // The shell refused: try the program that opens web pages on this machine.
    std::wstring pageClass;
    if (!ReadClassDefault(L".htm", pageClass))
        return code;
    std::wstring openCommand;
    if (!ReadClassDefault(pageClass + L"\\shell\\open\\command", openCommand))
        return code;
    const std::optional<std::wstring> commandLine = ComposeOpenCommand(openCommand, target);
    if (!commandLine)
        return code;
    const std::string ansi = ToThreadAnsi(*commandLine);
    if (ansi.empty())
        return code;
    return WinExec(ansi.c_str(), SW_SHOW);
}

bool ReadDefaultValue(HKEY key, std::wstring& out) {
    wchar_t value[kValueBufferChars] = {};
    LONG size = sizeof(value);
    const LSTATUS status = RegQueryValueW(key, nullptr, value, &size);
    RegCloseKey(key);
    // A value that filled the buffer to its end carries no terminator: it was too long.
    const size_t length = wcsnlen(value, kValueBufferChars);
    if (status != ERROR_SUCCESS || length == 0 || length == kValueBufferChars)
        return false;
    out.assign(value, length);
    return true;
}

std::optional<std::wstring> ComposeOpenCommand(const std::wstring& openCommand,
                                               const std::wstring& target) {
    std::wstring command = openCommand;
    size_t cut = command.find(L"\"%1\"");
    if (cut == std::wstring::npos)
        cut = command.find(L"%1");
    if (cut != std::wstring::npos)
        command.erase(cut);
    command += L' ';
    command += target;
    if (command.size() >= kCommandBufferChars)
        return std::nullopt;
    return command;
}

std::wstring LinkErrorMessage(LaunchCode code) {
    std::wstring message = L"Unable to open hyperlink:\n\n";
    if (const wchar_t* text = KnownErrorText(code)) {
        message += text;
    } else {
        message += L"Unknown Error (" + std::to_wstring(static_cast<int>(code)) + L") occurred.";
    }
    return message;
}

void ShowLinkError(LaunchCode code) {
    const std::wstring message = LinkErrorMessage(code);
    // Owned by the page that was clicked, so the page waits for the box.
    MessageBoxW(GetActiveWindow(), message.c_str(), kAppTitle, MB_ICONEXCLAMATION | MB_OK);
}
