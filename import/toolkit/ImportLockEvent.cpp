// ImportLockEvent.cpp: the dialogs' texts of the lock events.
#include "import/toolkit/ImportLockEvent.h"

std::string ImportLockText(const ImportLockEvent& event) {
  using K = ImportLockEvent::Kind;
  switch (event.kind) {
    case K::WaitingForFile:
      return "Astept terminarea altui import in aceeasi baza de date...";
    case K::WaitingForServer:
      return "Astept terminarea altui import in baza de date " + event.database + "...";
    case K::FolderNotWritable:
    case K::FileNotCreated:
      return "Nu pot crea fisierul " + event.lockFile + "\nImportul nu se executa";
    case K::Busy:
      return "Baza de date " + event.database +
             " este ocupata: alt import ruleaza in ea.\nImportul nu se executa";
    case K::Refused:
      return "Nu pot bloca baza de date " + event.database + " pentru import (" + event.why +
             ")\nImportul nu se executa";
  }
  return {};
}
