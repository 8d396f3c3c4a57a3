// UpdateUiBridge.cpp: the update check's requests, queued to the dialog's thread.
#include "app/gui/UpdateUiBridge.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <future>

#include "res/DialogLayout.h"

void UpdateUiBridge::ShowMessageAndWait(const std::string& text) {
  // Set when the box closes; destroyed unset when the box (or the queued request) is dropped
  // with the dialog, which wakes the waiting thread as well.
  auto closed = std::make_shared<std::promise<void>>();
  std::future<void> done = closed->get_future();
  {
    std::lock_guard lock(mutex_);
    if (dialog_ == nullptr) return;
    QWidget* owner = dialog_;
    QMetaObject::invokeMethod(
        owner,
        [owner, text, closed]() mutable {
          auto* box =
              new QMessageBox(QMessageBox::NoIcon, QString::fromLatin1(qiva::res::kMessageTitle),
                              QString::fromLocal8Bit(text), QMessageBox::Ok, owner);
          box->setWindowModality(Qt::NonModal);
          box->setAttribute(Qt::WA_DeleteOnClose);
          QObject::connect(box, &QMessageBox::finished, box,
                           [closed = std::move(closed)]() mutable {
                             if (closed) closed->set_value();
                             closed.reset();
                           });
          box->show();
        },
        Qt::QueuedConnection);
  }
  closed.reset();
  done.wait();
}

void UpdateUiBridge::ExitProgram() {
  std::lock_guard lock(mutex_);
  if (dialog_ == nullptr) return;
  QMetaObject::invokeMethod(
      dialog_,
      [] {
        std::fflush(nullptr);
        std::exit(0);
      },
      Qt::QueuedConnection);
}

void UpdateUiBridge::Detach() {
  std::lock_guard lock(mutex_);
  dialog_ = nullptr;
}
