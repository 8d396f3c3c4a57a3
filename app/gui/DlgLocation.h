// DlgLocation.h: the location dialog: an editable drop-down list of the provider's locations,
// OK and Cancel. After OK the chosen location's id is read with chosenLocationId.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

class QComboBox;
class CAdoDatabase;
class CAdoRecordset;

class DlgLocation : public QDialog {
 public:
  // Fills the list from n_locations through `db` and `rs` (both open, owned by the caller);
  // a failed read leaves the list empty. No item is selected at first.
  DlgLocation(CAdoDatabase& db, CAdoRecordset& rs, QWidget* parent = nullptr);

  // The id of the chosen location after OK; 0 before and after Cancel.
  std::int32_t chosenLocationId() const { return chosenId_; }
  QComboBox* locationList() const { return list_; }

  // OK: stores the selected item's id and ends with OK; without a selected item (typed text
  // selects none) shows "Selectati o locatie" and stays open.
  void OnOK();

  // Replaces the message box OK shows (tests record the text instead).
  void setMessageSink(std::function<void(const QString&)> sink) { messageSink_ = std::move(sink); }

 private:
  QComboBox* list_ = nullptr;
  std::int32_t chosenId_ = 0;
  std::function<void(const QString&)> messageSink_;
};

// Shows `text` in a modal message box with OK and no icon, titled with the program's name.
void ShowPlainMessage(QWidget* parent, const QString& text);
