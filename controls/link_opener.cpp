#include "controls/link_opener.h"

#include <shellapi.h>

#include <cwchar>

#include "controls/desktop_shell.h"
#include "framework/language.h"
#include "framework/linked_user.h"
#include "res/resource.h"

namespace {

const size_t kCommandBufferChars = 2 * MAX_PATH;
const size_t kValueBufferChars = MAX_PATH;

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

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    const size_t length = wcslen(prefix);
    return text.size() > length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

bool IsWebAddress(const std::wstring& address) {
    return StartsWith(address, L"http://") || StartsWith(address, L"https://");
}

// Blanks, controls and quotes never stand in an address: one could end the quoted argument
// the address is handed on in.
bool HasOnlyAddressCharacters(const std::wstring& text) {
    for (const wchar_t c : text)
        if (c <= L' ' || c == L'"' || c == 0x7F)
            return false;
    return true;
}

// local@domain, with no scheme, path or drive.
bool IsBareMailAddress(const std::wstring& text) {
    const size_t at = text.find(L'@');
    return at != 0 && at != std::wstring::npos && at + 1 < text.size() &&
           text.find(L'@', at + 1) == std::wstring::npos &&
           text.find_first_of(L":/\\") == std::wstring::npos;
}

void ShowAddressToUser(const std::wstring& address) {
    ShowMessage(GetActiveWindow(), FormatText(IDS_OPEN_ADDRESS, {address}),
                MB_ICONINFORMATION | MB_OK);
}

LaunchCode ShellOpen(const std::wstring& file, const std::wstring& parameters) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", file.c_str(),
                      parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOW);
    return static_cast<LaunchCode>(reinterpret_cast<INT_PTR>(result));
}

// A program started from here would run with this process's rights: elevated, or as SYSTEM on
// a user's desktop (a deployment tool's interactive run), its browser handing out file dialogs
// with those rights. The desktop's shell starts it with its own user's rights instead.
LaunchCode OpenAsDesktopUser(const std::wstring& address) {
    if (ShellExecuteAsDesktopUser(address, {}))
        return SE_ERR_DLLNOTFOUND + 1; // handed on: the shell reports no outcome
    ShowAddressToUser(address);
    return kLinkLeftToUser;
}

// The shell's own message for a failure it knows, or 0.
UINT KnownErrorText(LaunchCode code) {
    switch (code) {
    case 0:
        return IDS_LINK_OUT_OF_RESOURCES;
    case SE_ERR_FNF:
        return IDS_LINK_FILE_NOT_FOUND;
    case SE_ERR_PNF:
        return IDS_LINK_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED:
        return IDS_LINK_ACCESS_DENIED;
    case SE_ERR_OOM:
        return IDS_LINK_OUT_OF_MEMORY;
    case ERROR_BAD_FORMAT:
        return IDS_LINK_BAD_FORMAT;
    case SE_ERR_SHARE:
        return IDS_LINK_SHARING;
    case SE_ERR_ASSOCINCOMPLETE:
        return IDS_LINK_ASSOCIATION_INCOMPLETE;
    case SE_ERR_DDETIMEOUT:
        return IDS_LINK_DDE_TIMEOUT;
    case SE_ERR_DDEFAIL:
        return IDS_LINK_DDE_FAILED;
    case SE_ERR_DDEBUSY:
        return IDS_LINK_DDE_BUSY;
    case SE_ERR_NOASSOC:
        return IDS_LINK_NO_ASSOCIATION;
    case SE_ERR_DLLNOTFOUND:
        return IDS_LINK_DLL_NOT_FOUND;
    default:
        return 0;
    }
}

} // namespace

LaunchCode OpenLink(const std::wstring& target) {
    const std::optional<std::wstring> address = LinkAddress(target);
    if (!address)
        return SE_ERR_NOASSOC;
    if (!RunsAsPlainUser())
        return OpenAsDesktopUser(*address);
    const LaunchCode code = ShellOpen(*address, {});
    if (Succeeded(code) || !IsWebAddress(*address))
        return code;

    // The shell refused: try the program that opens web pages on this machine.
    std::wstring pageClass;
    if (!ReadClassDefault(L".htm", pageClass))
        return code;
    std::wstring openCommand;
    if (!ReadClassDefault(pageClass + L"\\shell\\open\\command", openCommand))
        return code;
    const std::optional<OpenCommand> command = ComposeOpenCommand(openCommand, *address);
    if (!command)
        return code;
    return ShellOpen(command->program, command->parameters);
}

std::optional<std::wstring> LinkAddress(const std::wstring& target) {
    if (!HasOnlyAddressCharacters(target))
        return std::nullopt;
    if (IsWebAddress(target) || StartsWith(target, L"mailto:"))
        return target;
    if (IsBareMailAddress(target))
        return L"mailto:" + target;
    return std::nullopt;
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

std::optional<OpenCommand> ComposeOpenCommand(const std::wstring& openCommand,
                                              const std::wstring& address) {
    std::wstring command = openCommand;
    size_t cut = command.find(L"\"%1\"");
    if (cut == std::wstring::npos)
        cut = command.find(L"%1");
    if (cut != std::wstring::npos)
        command.erase(cut);
    const size_t start = command.find_first_not_of(L' ');
    if (start == std::wstring::npos)
        return std::nullopt;
    // A quoted program runs to its closing quote, a bare one to the first blank.
    const bool quoted = command[start] == L'"';
    const size_t end = command.find(quoted ? L'"' : L' ', start + 1);
    OpenCommand split;
    split.program = command.substr(
        start + quoted, end == std::wstring::npos ? std::wstring::npos : end - start - quoted);
    const size_t rest = end == std::wstring::npos ? command.size() : end + quoted;
    const size_t first = command.find_first_not_of(L' ', rest);
    if (first != std::wstring::npos)
        split.parameters = command.substr(first, command.find_last_not_of(L' ') + 1 - first) + L' ';
    split.parameters += L'"' + address + L'"';
    if (split.program.empty() ||
        split.program.size() + split.parameters.size() + 3 >= kCommandBufferChars)
        return std::nullopt;
    return split;
}

std::wstring LinkErrorMessage(LaunchCode code) {
    const UINT known = KnownErrorText(code);
    const std::wstring reason =
        known ? LoadText(known)
              : FormatText(IDS_LINK_UNKNOWN, {std::to_wstring(static_cast<int>(code))});
    return FormatText(IDS_LINK_ERROR, {reason});
}

void ShowLinkError(LaunchCode code) {
    const std::wstring message = LinkErrorMessage(code);
    // Owned by the page that was clicked, so the page waits for the box.
    ShowMessage(GetActiveWindow(), message, MB_ICONEXCLAMATION | MB_OK);
}
