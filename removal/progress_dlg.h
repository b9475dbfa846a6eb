// CProgressDlg: the second page. It reads the installation log, runs the removal on a
// worker thread and shows each step; it cannot be left until the removal has finished.
#pragma once

#include <optional>
#include <string>

#include "app/wizard_page.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "ntregistry/nt_registry.h"
#include "removal/install_log.h"
#include "removal/removal_log.h"
#include "removal/removal_run.h"

class CProgressDlg : public CWizardPage, public RemovalProgress {
  public:
    CProgressDlg();
    // Waits for the worker: it uses the log, the controls and the registry to its end.
    ~CProgressDlg() override;

    // The engine's view of the page, called from the worker thread.
    void ClearList() override;
    void AddLine(const std::wstring& line) override;
    // The list words the step in the wizard's language, the /LOG file in English.
    void Report(RemovalStep step, const std::wstring& path) override;
    void StepProgress() override;
    void Diagnostic(const std::wstring& line) override;

    // What the removal left; read once the page has ended.
    const Leftovers& Outcome() const;
    int ExitCode() const { return ExitCodeOf(Outcome()); }

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT notifyCode) override;
    void OnClose() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    void OnRemovalEnded();

    InstallLogRecord m_log{};
    CProgressCtrl m_progress;
    CListBox m_list;
    CNtRegistry m_registry;
    UniqueKernelHandle m_worker;
    std::optional<RemovalRun> m_run; // what the worker reads and, at its end, writes
    RemovalLog* m_removalLog = nullptr;
    bool m_finished = false;
};
