// CAboutDlg.h: the About box: the icon, "QIVA_IMPORT Version 1.0" and OK.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
