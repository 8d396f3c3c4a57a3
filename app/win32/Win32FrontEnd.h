// Win32FrontEnd.h: the import run's front end in the native Windows dialog. The worker's
// requests are handed to the user-interface thread: status texts are posted and coalesced
// (at most one update queued, always showing the latest text); message boxes, the Yes/No
// prompt and the location dialog are run by that thread while the worker waits.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "import/toolkit/ImportFrontEnd.h"

// Window messages the main dialog handles for the front end.
inline constexpr UINT kStatusMessage = WM_APP + 1;   // show the latest status text
inline constexpr UINT kRunTaskMessage = WM_APP + 2;  // lParam: std::function<void()>*
inline constexpr UINT kCloseMessage = WM_APP + 3;    // end the dialog with result 0

class Win32FrontEnd : public ImportFrontEnd {
 public:
  // The dialog window, set once it exists (before any run starts).
  void Attach(HWND dialog) { dialog_ = dialog; }

  void SetStatusText(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::optional<std::int32_t> ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) override;
  void CloseProgram() override;

  // Called by the dialog for kStatusMessage: puts the latest text in the status line.
  void FlushStatus();

 private:
  // Runs `task` on the user-interface thread and waits for it.
  void RunOnUiThread(const std::function<void()>& task);

  HWND dialog_ = nullptr;
  std::mutex textMutex_;
  std::string latestText_;
  bool hasText_ = false;
  std::atomic<bool> flushQueued_{false};
};
