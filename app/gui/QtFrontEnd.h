// QtFrontEnd.h: the import run's front end in the dialog program. The worker thread calls it;
// status texts are coalesced and shown by the user-interface thread, and every prompt is shown
// modally by that thread while the worker waits for the answer.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "import/toolkit/ImportFrontEnd.h"

class CQIVA_IMPORTDlg;

class QtFrontEnd : public ImportFrontEnd {
 public:
  explicit QtFrontEnd(CQIVA_IMPORTDlg& dialog) : dialog_(dialog) {}

  void SetStatusText(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::optional<std::int32_t> ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) override;
  void CloseProgram() override;

  // Shows the latest status text now (user-interface thread only).
  void FlushStatus();

 private:
  // Runs `task` on the user-interface thread and returns when it has finished.
  void RunOnUiThread(const std::function<void()>& task);

  CQIVA_IMPORTDlg& dialog_;
  std::mutex textMutex_;
  std::string latestText_;
  bool hasText_ = false;
  std::atomic<bool> flushQueued_{false};
};
