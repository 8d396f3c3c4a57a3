// DlgLocation.cpp: the location dialog, laid out from its template and filled from the
// database through LoadLocations, which keeps the order the list must show.
#include "app/gui/DlgLocation.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/LocationList.h"
#include "app/gui/DialogUnits.h"

using qiva::res::ControlKind;

void ShowPlainMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(qiva::res::kMessageTitle), text,
                  QMessageBox::Ok, parent);
  box.exec();
}

DlgLocation::DlgLocation(CAdoDatabase& db, CAdoRecordset& rs, QWidget* parent) : QDialog(parent) {
  const auto& layout = qiva::res::kLocationDialog;
  setFont(DialogFont(layout));
  setWindowTitle(QString::fromLatin1(layout.caption));
  const DialogUnits units(font());
  setFixedSize(units.size(layout.width, layout.height));
  for (const auto& control : qiva::res::kLocationDialogControls) {
    const QRect area = units.rect(control);
    switch (control.kind) {
      case ControlKind::ComboBox:
        list_ = new QComboBox(this);
        list_->setEditable(true);
        list_->setInsertPolicy(QComboBox::NoInsert);
        list_->setMaxVisibleItems(std::max(1, area.height() / std::max(1, fontMetrics().height())));
        list_->setGeometry(area.x(), area.y(), area.width(), list_->sizeHint().height());
        break;
      case ControlKind::Label:
        (new QLabel(QString::fromLatin1(control.text), this))->setGeometry(area);
        break;
      default: {
        auto* button = new QPushButton(QString::fromLatin1(control.text), this);
        button->setGeometry(area);
        if (control.id == qiva::res::kIdOk) {
          button->setDefault(true);
          connect(button, &QPushButton::clicked, this, &DlgLocation::OnOK);
        } else {
          button->setAutoDefault(false);
          connect(button, &QPushButton::clicked, this, &QDialog::reject);
        }
      }
    }
  }
  for (const LocationItem& item : LoadLocations(db, rs)) {
    list_->addItem(QString::fromLocal8Bit(item.name), QVariant(item.id));
  }
  list_->setCurrentIndex(-1);
  list_->setEditText(QString());
}

void DlgLocation::OnOK() {
  const int index = list_->currentIndex();
  const bool selected = index >= 0 && list_->currentText() == list_->itemText(index);
  if (!selected) {
    const QString text = QString::fromLatin1(qiva::res::kSelectLocationText);
    if (messageSink_) {
      messageSink_(text);
    } else {
      ShowPlainMessage(this, text);
    }
    return;
  }
  chosenId_ = list_->itemData(index).toInt();
  accept();
}
