// CProgressDlg: the second page. It reads the installation log, runs the removal on a
// worker thread and shows each step; it cannot be left until the removal has finished.
#pragma once

#include "app/wizard_page.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "ntregistry/nt_registry.h"
#include "removal/install_log.h"
#include "removal/removal_engine.h"
#include "removal/removal_log.h"

#include <atomic>
#include <optional>
#include <string>

class CProgressDlg : public CWizardPage, public RemovalProgress {
  public:
    CProgressDlg();
    // Waits for the worker: it uses the log, the controls and the registry to its end.
    ~CProgressDlg() override;

    // The engine's view of the page, called from the worker thread.
    void EnableNext(bool enable) override;
    void ClearList() override;
    void AddLine(const std::wstring& line) override;
    void StepProgress() override;
    void SetStatusText(const std::wstring& text) override;
    void Diagnostic(const std::wstring& line) override;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT notifyCode) override;
    void OnClose() override;

  private:
    InstallLogRecord m_log{};
    CProgressCtrl m_progress;
    CListBox m_list;
    CNtRegistry m_registry;
    UniqueKernelHandle m_worker;
    std::optional<RemovalRun> m_run; // what the worker reads
    RemovalLog* m_removalLog = nullptr;
    std::atomic<bool> m_finished{false};
};
