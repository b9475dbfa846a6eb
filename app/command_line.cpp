#include "app/command_line.h"

#include <shellapi.h>

#include "framework/text.h"
#include "framework/unique_handle.h"
#include "removal/exit_codes.h"

namespace {

bool SameSwitch(const std::wstring& argument, const wchar_t* name) {
    return CompareStringOrdinal(argument.c_str(), static_cast<int>(argument.size()), name, -1,
                                TRUE) == CSTR_EQUAL;
}

// "/LOG=" and what follows; the shell's argument splitting has already taken the quotes out.
bool LogSwitch(const std::wstring& argument, std::wstring& path) {
    static constexpr wchar_t kPrefix[] = L"/LOG=";
    constexpr int kPrefixLength = static_cast<int>(std::size(kPrefix)) - 1;
    if (argument.size() <= kPrefixLength ||
        CompareStringOrdinal(argument.c_str(), kPrefixLength, kPrefix, kPrefixLength, TRUE) !=
            CSTR_EQUAL)
        return false;
    path = argument.substr(kPrefixLength);
    return true;
}

} // namespace

CommandLine ParseCommandLine(const wchar_t* commandLine) {
    CommandLine parsed;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return parsed;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (SameSwitch(argument, L"/S") || SameSwitch(argument, L"/quiet"))
            parsed.unattended = true;
        else if (SameSwitch(argument, L"/?"))
            parsed.usage = true;
        else if (!LogSwitch(argument, parsed.logPath) && parsed.unknown.empty())
            parsed.unknown = argument;
    }
    LocalFree(arguments);
    return parsed;
}

std::wstring UsageText() {
    return L"Removes the installed Corvina product.\r\n"
           L"\r\n"
           L"Uninstall.exe [/S | /quiet] [/LOG=\"path\"] [/?]\r\n"
           L"\r\n"
           L"  (none)       the uninstall wizard\r\n"
           L"  /S, /quiet   unattended removal: no window, no message box; the exit code\r\n"
           L"               tells the outcome\r\n"
           L"  /LOG=\"path\"  writes a removal log (UTF-8) to that file\r\n"
           L"  /?           shows this text\r\n"
           L"\r\n"
           L"Exit codes of an unattended removal:\r\n" +
           ExitCodeList(false) +
           L"\r\n"
           L"The wizard ends 0, 3010 or 1603 after a removal, as above, 167 or 82 before one,\r\n"
           L"and also:\r\n" +
           ExitCodeList(true);
}

void WriteToParentConsole(DWORD standardHandle, const std::wstring& text) {
    HANDLE out = GetStdHandle(standardHandle);
    UniqueFileHandle console;
    if (!out || out == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return;
        console.Reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
        out = console.Get();
        if (!console)
            return;
    }
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    // A file or a pipe: UTF-8, as the removal log.
    const std::string bytes = ToUtf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
