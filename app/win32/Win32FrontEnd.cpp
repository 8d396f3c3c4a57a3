// Win32FrontEnd.cpp: hands the worker's requests to the dialog's thread.
#include "app/win32/Win32FrontEnd.h"

#include "app/win32/LocationDialog.h"
#include "res/DialogLayout.h"

void Win32FrontEnd::SetStatusText(const std::string& text) {
  {
    std::lock_guard lock(textMutex_);
    latestText_ = text;
    hasText_ = true;
  }
  if (::GetWindowThreadProcessId(dialog_, nullptr) == ::GetCurrentThreadId()) {
    FlushStatus();
    return;
  }
  if (!flushQueued_.exchange(true)) ::PostMessageA(dialog_, kStatusMessage, 0, 0);
}

void Win32FrontEnd::FlushStatus() {
  flushQueued_.store(false);  // before taking the text: a later update queues a new flush
  std::string text;
  {
    std::lock_guard lock(textMutex_);
    if (!hasText_) return;
    text = latestText_;
    hasText_ = false;
  }
  ::SetDlgItemTextA(dialog_, qiva::res::kIdStatusLine, text.c_str());
}

void Win32FrontEnd::RunOnUiThread(const std::function<void()>& task) {
  if (::GetWindowThreadProcessId(dialog_, nullptr) == ::GetCurrentThreadId()) {
    task();
    return;
  }
  // SendMessage returns once the dialog's thread has run the task.
  ::SendMessageA(dialog_, kRunTaskMessage, 0,
                 reinterpret_cast<LPARAM>(const_cast<std::function<void()>*>(&task)));
}

void Win32FrontEnd::ShowMessage(const std::string& text) {
  RunOnUiThread([&] {
    FlushStatus();
    ::MessageBoxA(dialog_, text.c_str(), qiva::res::kMessageTitle, MB_OK);
  });
}

bool Win32FrontEnd::AskYesNo(const std::string& text) {
  bool yes = false;
  RunOnUiThread([&] {
    FlushStatus();
    yes = ::MessageBoxA(dialog_, text.c_str(), qiva::res::kMessageTitle, MB_YESNO) == IDYES;
  });
  return yes;
}

std::optional<std::int32_t> Win32FrontEnd::ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) {
  std::optional<std::int32_t> chosen;
  RunOnUiThread([&] {
    FlushStatus();
    chosen = RunLocationDialog(dialog_, db, rs);
  });
  return chosen;
}

void Win32FrontEnd::CloseProgram() { ::PostMessageA(dialog_, kCloseMessage, 0, 0); }
