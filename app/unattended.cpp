#include "app/unattended.h"

#include <cwchar>
#include <memory>

#include "app/process_list.h"
#include "app/product_registration.h"
#include "ntregistry/nt_registry.h"
#include "removal/install_log.h"
#include "removal/product_key.h"
#include "removal/removal_engine.h"
#include "removal/removal_log.h"
#include "removal/removal_outcome.h"
#include "removal/removal_run.h"
#include "res/resource.h"
#include "res/version.h"

namespace {

// Nobody is there to answer a message box: the registry wrapper's go to the log instead.
class LoggedMessages : public NtdllEntryPointProvider {
  public:
    explicit LoggedMessages(RemovalLog& log) : m_log(log) {}
    void ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT) override {
        m_log.Line(std::wstring(caption) + L": " + text);
    }

  private:
    RemovalLog& m_log;
};

// The list lines the wizard would show and the diagnostics, in the log; the rest has no reader
// here.
class LoggedProgress : public RemovalProgress {
  public:
    explicit LoggedProgress(RemovalLog& log) : m_log(log) {}
    void ClearList() override {}
    void AddLine(const std::wstring& line) override { m_log.Line(line); }
    void StepProgress() override {}
    void Diagnostic(const std::wstring& line) override { m_log.Line(line); }

  private:
    RemovalLog& m_log;
};

// A value that is absent or empty would leave the removal to the defaults. registry's current
// key is the product's.
bool NamesBothFolders(CNtRegistry& registry, RemovalLog& log) {
    bool both = true;
    for (const wchar_t* name : {L"ProductDir", L"MenuGroup"}) {
        std::wstring value;
        if (registry.ReadString(value, name, L"").empty()) {
            log.Line(std::wstring(L"The registration has no ") + name +
                     L" value, or an empty one.");
            both = false;
        }
    }
    return both;
}

int Finish(RemovalLog& log, int exitCode) {
    log.Line(ResultLine(exitCode));
    return exitCode;
}

} // namespace

std::wstring LogHeaderLine() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    std::swprintf(stamp, std::size(stamp), L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return std::wstring(stamp) + L" Corvina Uninstall " CORVINA_VERSION_TEXT L", command line: " +
           GetCommandLineW();
}

std::wstring InstanceLockFailure(DWORD error, LANGID language) {
    return FormatText(IDS_LOCK_FAILED, {std::to_wstring(error)}, language);
}

int RunUnattended(const CommandLine& commandLine, InstanceLock lock, DWORD lockError) {
    const bool anotherRuns = lock == InstanceLock::HeldByAnother;
    RemovalLog log;
    if (!commandLine.logPath.empty()) {
        // The other run may be writing this very log: it is no reason to fail.
        if (log.Create(commandLine.logPath) != ERROR_SUCCESS && anotherRuns)
            return kExitRetryLater;
        if (!log.IsOpen()) {
            WriteToParentConsole(STD_ERROR_HANDLE,
                                 FormatText(IDS_LOG_FILE_FAILED, {commandLine.logPath}, kEnglish) +
                                     L"\r\n");
            return kExitNoLog;
        }
        log.Line(LogHeaderLine());
    }
    if (anotherRuns) {
        log.Line(L"Another Uninstall.exe is running.");
        return Finish(log, kExitRetryLater);
    }
    if (lock == InstanceLock::Unavailable) {
        log.Line(InstanceLockFailure(lockError));
        return Finish(log, kExitNoLock);
    }
    if (!commandLine.unknown.empty()) {
        const std::wstring text =
            L"Not understood: " + commandLine.unknown + L"\r\n\r\n" + UsageText();
        WriteToParentConsole(STD_ERROR_HANDLE, text);
        log.Line(text);
        return Finish(log, kExitBadArgument);
    }

    LoggedMessages messages(log);
    CNtRegistry registry(messages);
    const ProductRegistration registration = ReadProductRegistration(registry);
    // The wizard goes on with the defaults before a person who can still cancel; unattended,
    // they would empty folders named "EXA" that are not ours.
    if (!OpenProductKey(registry))
        return Finish(log, kExitNotInstalled);
    if (!NamesBothFolders(registry, log))
        return Finish(log, kExitBadConfiguration);
    if (IsProcessRunning(L"terminal.exe")) {
        log.Line(L"A MetaTrader terminal (terminal.exe) is running.");
        return Finish(log, kExitRetryLater);
    }

    const auto record = std::make_unique<InstallLogRecord>();
    ReadInstallLog(*record, registration.productDir);
    const RemovalJob job{*record, registration.productDir, registration.menuGroup, registry};
    LoggedProgress progress(log);
    return LogOutcome(log, RemoveProduct(job, progress));
}
