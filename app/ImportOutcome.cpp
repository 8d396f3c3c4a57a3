// ImportOutcome.cpp: the texts that tell the user what a run lost or could not read.
#include "app/ImportOutcome.h"

namespace {

std::string Number(std::int64_t n) { return std::to_string(n); }

std::string LossesMessage(const ImportOutcome& o) {
  std::string text = "Atentie: " + Number(o.rejectedStatements) +
                     " instructiuni respinse de baza de date";
  if (o.skippedSections > 0) {
    text += ", " + Number(o.skippedTotal()) + " inregistrari omise si " +
            Number(o.skippedSections) + " sectiuni lasate neschimbate";
  } else {
    text += " si " + Number(o.skippedTotal()) + " inregistrari omise";
  }
  return text + ".\nDetaliile sunt in _database.log";
}

}  // namespace

std::string FileNotReadReason(const ImportOutcome& o) {
  if (o.parse.code != kXmlNoError && o.parse.code != kXmlWarningUnmatchedEndTag) {
    std::string reason = errorText(o.parse.code);
    if (o.parse.code == kXmlErrorFirstTagNotFound) reason += " '" + o.rootTag + "'";
    if (o.parse.line > 0) reason += ", linia " + std::to_string(o.parse.line);
    return reason;
  }
  return "fisierul se termina inainte de sfarsitul documentului, linia " +
         std::to_string(o.parse.line);
}

std::string OutcomeMessage(const ImportOutcome& o) {
  if (o.databaseFailed) {
    return "Baza de date nu a mai putut scrie; importul a fost oprit si o parte din date nu "
           "au fost salvate.\nDetaliile sunt in _database.log";
  }
  if (!o.fileRead) {
    return "Fisierul nu a putut fi citit (" + FileNotReadReason(o) + ").\nNu s-a importat nimic.";
  }
  return o.hasLosses() ? LossesMessage(o) : std::string();
}
