// main.cpp: qiva_import.exe, the native Windows dialog program: shows the main dialog modally
// and ends when it closes, without waiting for an import still running.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Places.h"
#include "app/win32/MainDialog.h"
#include "base/BuildInfo.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string commandLine = CommandLineFilePath(CommandLineTail(0, nullptr));
  if (commandLine == "--version") {
    // A window program has no console of its own: the text goes to its redirected output,
    // else to the console it was started from, if any.
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
      out = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                          nullptr);
    }
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
      const std::string text = VersionText("qiva_import");
      DWORD written = 0;
      ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    return 0;
  }
  ProgramPaths paths = CurrentProgramPaths();
  const Places places = SettlePlaces(paths, {}, CurrentPlaceEnvironment());
  auto* dialog = new MainDialog(paths, commandLine);
  // A window program has no standard error anyone sees: the status line says where the logs
  // went when they are not beside the program, or that they are lost.
  dialog->SetStartupNotice(LogFolderNotice(places.logs));
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
