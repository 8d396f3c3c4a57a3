// main.cpp: qiva_import, the dialog program: shows the main dialog modally and ends when it
// closes, without waiting for an import still running.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/ImportWorker.h"
#include "app/Places.h"
#include "app/gui/CQIVA_IMPORTDlg.h"
#include "app/gui/RomanianQtTexts.h"
#include "base/BuildInfo.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"

int main(int argc, char** argv) {
  // Answered before Qt starts, so that it needs no display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs(VersionText("qiva_import").c_str(), stdout);
    return 0;
  }
  QApplication application(argc, argv);
  InstallRomanianQtTexts();
  // Read after QApplication has taken its own options (such as -platform) out of argv.
  std::string commandLine = CommandLineTail(argc, argv);
  ProgramPaths paths = CurrentProgramPaths();
  const Places places = SettlePlaces(paths, {}, CurrentPlaceEnvironment());
  std::fputs(LogFolderWarnings(places.logs).c_str(), stderr);
  auto* dialog = new CQIVA_IMPORTDlg(paths, std::move(commandLine));
  // Started from a desktop, standard error is seen by nobody: the dialog says it too.
  dialog->SetStartupNotice(LogFolderNotice(places.logs));
  dialog->OnInitDialog();
  dialog->exec();
  if (dialog->activeWorkers() != 0) {
    // A close during an import waits for the run to stop at a safe point; a run still active
    // here (the program closed after a failed connection, or by the update) is cut off where it
    // stands. The logs are closed after every entry, so nothing written is lost.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  delete dialog;
  return 0;
}
