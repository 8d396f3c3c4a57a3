// main.cpp: qiva_import.exe, the native Windows dialog program: shows the main dialog modally
// and ends when it closes, without waiting for an import still running.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/Platform.h"
#include "app/ProgramPaths.h"
#include "app/win32/MainDialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  auto* dialog = new MainDialog(CurrentProgramPaths(),
                                CommandLineFilePath(CommandLineTail(0, nullptr)));
  dialog->Run(instance);
  if (dialog->activeWorkers() != 0) {
    // An import still running is cut off where it stands; the logs are closed after every
    // entry, so nothing written is lost.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  delete dialog;
  return 0;
}
