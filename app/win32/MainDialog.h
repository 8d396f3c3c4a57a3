// MainDialog.h: the native main dialog (template 102): nine import buttons, the status line
// and "Iesire". It collects the file and the kind and hands them to the shared import run.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/ImportWorker.h"
#include "app/win32/Win32FrontEnd.h"
#include "base/ProgramPaths.h"

class MainDialog {
 public:
  MainDialog(ProgramPaths paths, std::string commandLineFile);
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;
  ~MainDialog();

  // A text the status line shows from start-up until the first run replaces it (where the
  // logs went, LogFolderNotice); empty: the status line starts empty.
  void SetStartupNotice(std::string text) { startupNotice_ = std::move(text); }
  // Shows the dialog modally; returns when it closes.
  INT_PTR Run(HINSTANCE instance);
  // Imports still running (the program then ends without waiting for them).
  int activeWorkers() const { return activeWorkers_.load(); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void OnCommand(int id);
  void AddAboutEntry();
  // Starts the update check with this build's settings; its message box has no owner.
  void StartUpdateCheck();
  void ShowAbout();
  void StartWorker(ImportRequest request);

  ProgramPaths paths_;
  std::string commandLineFile_;
  std::string startupNotice_;
  Win32FrontEnd frontEnd_;
  ImportSession session_;
  HWND dialog_ = nullptr;
  std::vector<std::thread> workers_;
  std::atomic<int> activeWorkers_{0};
};

// Asks for an XML file with the open-file dialog (filters "XML(*.XML)" and "All (*.*)");
// "" when cancelled.
std::string ChooseXmlFile(HWND owner);
