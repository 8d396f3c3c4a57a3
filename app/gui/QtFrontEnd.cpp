// QtFrontEnd.cpp: hands the worker's requests to the user-interface thread. At most one status
// update is queued at a time, so a fast import is not slowed by repainting, and the queued one
// always takes the latest text, so the field ends showing the last text set.
#include "app/gui/QtFrontEnd.h"

#include <QLineEdit>
#include <QMetaObject>
#include <QThread>

#include "app/gui/CQIVA_IMPORTDlg.h"

void QtFrontEnd::SetStatusText(const std::string& text) {
  {
    std::lock_guard lock(textMutex_);
    latestText_ = text;
    hasText_ = true;
  }
  if (QThread::currentThread() == dialog_.thread()) {
    FlushStatus();
    return;
  }
  if (!flushQueued_.exchange(true)) {
    QMetaObject::invokeMethod(
        &dialog_, [this] { FlushStatus(); }, Qt::QueuedConnection);
  }
}

void QtFrontEnd::FlushStatus() {
  flushQueued_.store(false);  // before taking the text: a later update queues a new flush
  std::string text;
  {
    std::lock_guard lock(textMutex_);
    if (!hasText_) return;
    text = latestText_;
    hasText_ = false;
  }
  dialog_.statusLine()->setText(QString::fromLocal8Bit(text));
}

void QtFrontEnd::RunOnUiThread(const std::function<void()>& task) {
  if (QThread::currentThread() == dialog_.thread()) {
    task();
  } else {
    QMetaObject::invokeMethod(&dialog_, task, Qt::BlockingQueuedConnection);
  }
}

void QtFrontEnd::ShowMessage(const std::string& text) {
  RunOnUiThread([&] {
    FlushStatus();
    dialog_.prompts().message(&dialog_, text);
  });
}

bool QtFrontEnd::AskYesNo(const std::string& text) {
  bool yes = false;
  RunOnUiThread([&] {
    FlushStatus();
    yes = dialog_.prompts().yesNo(&dialog_, text);
  });
  return yes;
}

std::optional<std::int32_t> QtFrontEnd::ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) {
  std::optional<std::int32_t> chosen;
  RunOnUiThread([&] {
    FlushStatus();
    chosen = dialog_.prompts().location(&dialog_, db, rs);
  });
  return chosen;
}

void QtFrontEnd::CloseProgram() {
  QMetaObject::invokeMethod(
      &dialog_, [dialog = &dialog_] { dialog->done(0); }, Qt::QueuedConnection);
}
