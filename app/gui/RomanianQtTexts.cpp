// RomanianQtTexts.cpp: the table of Qt's own texts that the dialog program shows, looked up by
// their English source text.
#include "app/gui/RomanianQtTexts.h"

#include <QCoreApplication>
#include <cstring>

namespace {

struct Text {
  const char* source;
  const char* romanian;
};

constexpr Text kTexts[] = {
    // Message box and button box buttons.
    {"&Yes", "&Da"},
    {"&No", "&Nu"},
    {"Yes", "Da"},
    {"No", "Nu"},
    {"Yes to &All", "Da la &toate"},
    {"N&o to All", "N&u la toate"},
    {"&OK", "&OK"},
    {"Cancel", "Renunta"},
    {"&Cancel", "&Renunta"},
    {"Close", "Inchide"},
    {"&Close", "&Inchide"},
    {"Open", "Deschide"},
    {"&Open", "&Deschide"},
    {"Save", "Salveaza"},
    {"&Save", "&Salveaza"},
    {"Abort", "Abandoneaza"},
    {"Retry", "Reincearca"},
    {"Ignore", "Ignora"},
    {"Help", "Ajutor"},
    {"Show Details...", "Arata detaliile..."},
    {"Hide Details...", "Ascunde detaliile..."},
    // The file dialog.
    {"Look in:", "Cauta in:"},
    {"File &name:", "&Nume fisier:"},
    {"Files of type:", "Tip fisiere:"},
    {"Directory:", "Dosar:"},
    {"&Choose", "&Alege"},
    {"Back", "Inapoi"},
    {"Forward", "Inainte"},
    {"Parent Directory", "Dosarul parinte"},
    {"Create New Folder", "Dosar nou"},
    {"New Folder", "Dosar nou"},
    {"&New Folder", "Dosar &nou"},
    {"List View", "Lista"},
    {"Detail View", "Detalii"},
    {"Show &hidden files", "Arata fisierele &ascunse"},
    {"&Delete", "&Sterge"},
    {"&Rename", "&Redenumeste"},
    {"Recent Places", "Locuri recente"},
    {"Computer", "Calculator"},
    {"My Computer", "Calculatorul meu"},
    {"Name", "Nume"},
    {"Size", "Marime"},
    {"Type", "Tip"},
    {"Kind", "Fel"},
    {"Date Modified", "Data modificarii"},
    {"Folder", "Dosar"},
    {"File Folder", "Dosar"},
    {"File", "Fisier"},
    {"Drive", "Unitate"},
    {"Unknown", "Necunoscut"},
    {"%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nFisierul nu a fost gasit.\nVerificati numele fisierului."},
    {"%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nDosarul nu a fost gasit.\nVerificati numele dosarului."},
    // The edit field's context menu (the status line).
    {"&Undo", "&Anuleaza"},
    {"&Redo", "&Reface"},
    {"Cu&t", "&Taie"},
    {"&Copy", "&Copiaza"},
    {"&Paste", "&Lipeste"},
    {"Delete", "Sterge"},
    {"Select All", "Selecteaza tot"},
};

}  // namespace

QString RomanianQtTexts::translate(const char*, const char* sourceText, const char*, int) const {
  if (sourceText == nullptr) return {};
  for (const Text& text : kTexts) {
    if (std::strcmp(text.source, sourceText) == 0) return QString::fromLatin1(text.romanian);
  }
  return {};
}

void InstallRomanianQtTexts() {
  static RomanianQtTexts* installed = nullptr;
  if (installed != nullptr) return;
  installed = new RomanianQtTexts(QCoreApplication::instance());
  QCoreApplication::installTranslator(installed);
}
