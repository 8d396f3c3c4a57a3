// MainDialogScreenshot.cpp: renders the main dialog off screen, as it looks during an import,
// and saves it as a PNG (docs/main-dialog.png in the README). Usage: qiva_screenshot OUT.png
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <cstdio>

#include "app/gui/CQIVA_IMPORTDlg.h"
#include "res/DialogLayout.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: qiva_screenshot OUT.png\n");
    return 2;
  }
  CQIVA_IMPORTDlg dialog(ProgramPaths{}, "");
  dialog.setWindowTitle(QString::asprintf(qiva::res::kTitleFormat, qiva::res::kVersion));
  dialog.statusLine()->setText(QStringLiteral("Procesez inregistrarea 1250 ..."));
  dialog.show();
  QApplication::processEvents();
  // Off screen there is no window frame: draw a plain title bar above the client area.
  const QPixmap client = dialog.grab();
  const int titleHeight = dialog.fontMetrics().height() + 10;
  QPixmap shot(client.width() + 2, client.height() + titleHeight + 1);
  shot.fill(QColor(0x12, 0x3C, 0x6E));
  QPainter painter(&shot);
  painter.drawPixmap(4, (titleHeight - 16) / 2, dialog.windowIcon().pixmap(16, 16));
  QFont bold = dialog.font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(Qt::white);
  painter.drawText(QRect(26, 0, client.width() - 26, titleHeight), Qt::AlignVCenter,
                   dialog.windowTitle());
  painter.drawPixmap(1, titleHeight, client);
  painter.end();
  if (!shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
