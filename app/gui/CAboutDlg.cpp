// CAboutDlg.cpp: the About box, laid out from its template.
#include "app/gui/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/gui/AppIcon.h"
#include "app/gui/DialogUnits.h"

using qiva::res::ControlKind;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  const auto& layout = qiva::res::kAboutDialog;
  setFont(DialogFont(layout));
  setWindowTitle(QString::fromLatin1(layout.caption));
  const DialogUnits units(font());
  setFixedSize(units.size(layout.width, layout.height));
  for (const auto& control : qiva::res::kAboutDialogControls) {
    if (control.kind == ControlKind::Icon) {
      auto* icon = new QLabel(this);
      icon->setPixmap(AppIconPixmap());
      icon->setGeometry(units.rect(control));
    } else if (control.kind == ControlKind::Label) {
      auto* label = new QLabel(QString::fromLatin1(control.text), this);
      label->setGeometry(units.rect(control));
    } else {
      auto* ok = new QPushButton(QString::fromLatin1(control.text), this);
      ok->setGeometry(units.rect(control));
      ok->setDefault(true);
      connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
  }
}
