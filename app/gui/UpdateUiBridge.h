// UpdateUiBridge.h: lets the update check's thread show its message and end the program
// through the dialog's user-interface thread (the toolkit requires it), and survives the
// dialog: once the dialog is gone, the requests do nothing.
#pragma once

#include <memory>
#include <mutex>
#include <string>

class QWidget;

class UpdateUiBridge {
 public:
  explicit UpdateUiBridge(QWidget* dialog) : dialog_(dialog) {}

  // Shows `text` in a message box with an OK button and returns once the user has closed it.
  // The box is not modal: the dialog stays usable meanwhile. Returns at once when the dialog
  // has gone, and when it goes while the box is open.
  void ShowMessageAndWait(const std::string& text);

  // Ends the program with exit code 0 from the user-interface thread, after the normal process
  // clean-up (files flushed, exit handlers run). Nothing when the dialog has gone.
  void ExitProgram();

  // Called by the dialog as it is destroyed: later requests are dropped.
  void Detach();

 private:
  std::mutex mutex_;
  QWidget* dialog_;
};
