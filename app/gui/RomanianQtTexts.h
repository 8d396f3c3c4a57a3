// RomanianQtTexts.h: Qt's own texts (message box buttons, the file dialog's labels, buttons
// and columns, the edit field's menu) in Romanian without diacritics, like the rest of the
// dialog. Debian's Qt ships no Romanian translation, so the texts are given here.
#pragma once

#include <QTranslator>

class RomanianQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;

  // The Romanian text of a Qt source text, whatever its context; a null string for a text
  // not in the table (Qt then keeps its own).
  QString translate(const char* context, const char* sourceText,
                    const char* disambiguation = nullptr, int n = -1) const override;
  bool isEmpty() const override { return false; }
};

// Installs the texts in the application (once; later calls do nothing).
void InstallRomanianQtTexts();
