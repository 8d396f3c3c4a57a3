// DialogImportBench: the general catalogues import with the dialog's front end (status texts
// coalesced onto a live main dialog, offscreen) against the same import with a front end that
// shows nothing, as the command-line program's quiet mode does.
// Usage: QT_QPA_PLATFORM=offscreen dialog_import_bench [ICD10_COUNT [CLINICSERVICE_COUNT [ROUNDS]]]
#include <QApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/gui/CQIVA_IMPORTDlg.h"
#include "app/gui/QtFrontEnd.h"
#include "base/ProgramPaths.h"
#include "bench/ImportBenchSupport.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::size_t icd10 = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300000;
  const std::size_t services = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100000;
  const auto xml = qiva::bench::PrepareCatalogue(icd10, services);

  // Single runs vary by a fifth with the disk; the best of a few rounds is what the code costs.
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  CQIVA_IMPORTDlg dialog(CurrentProgramPaths(), "");
  dialog.show();
  QtFrontEnd frontEnd(dialog);
  qiva::bench::SilentFrontEnd silent;
  double quiet = 1e9;
  double shown = 1e9;
  for (int round = 0; round < rounds; ++round) {
    quiet = std::min(quiet, qiva::bench::TimedImport(xml, xml.parent_path() / "quiet.db", silent));
    std::thread worker([&] {
      shown =
          std::min(shown, qiva::bench::TimedImport(xml, xml.parent_path() / "dialog.db", frontEnd));
      QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
  }

  std::printf("best of %d rounds\n", rounds);
  std::printf("front end that shows nothing: %6.2f s\n", quiet);
  std::printf("main dialog, offscreen:       %6.2f s\n", shown);
  std::printf("dialog / silent: %.3f\n", shown / quiet);
  return 0;
}
