// ImportOutcome.cpp: the texts that tell the user what a run lost, could not read or left
// incomplete when it was stopped.
#include "import/toolkit/ImportOutcome.h"

#include "import/toolkit/FileKinds.h"

namespace {

// Records named in a message box; the report file lists up to kRecordNoteLimit.
constexpr std::size_t kRecordsInMessage = 5;

std::string Number(std::int64_t n) { return std::to_string(n); }

std::string LogPath(const ImportOutcome& o) {
  return o.databaseLog.empty() ? std::string("_database.log") : o.databaseLog;
}

// "a", "a si b", "a, b si c".
std::string JoinRo(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += i + 1 == parts.size() ? " si " : ", ";
    text += parts[i];
  }
  return text;
}

std::string JoinComma(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += ", ";
    text += part;
  }
  return text;
}

std::string KindRo(const std::string& kind) {
  const auto* entry = qiva::import::FindFileKind(kind);
  return entry ? std::string(entry->descriptionRo) : kind;
}

std::string KindEn(const std::string& kind) {
  const auto* entry = qiva::import::FindFileKind(kind);
  return entry ? std::string(entry->description) : kind + " file";
}

// The counts that are not zero, in words.
std::vector<std::string> LossCounts(const ImportOutcome& o) {
  std::vector<std::string> parts;
  if (o.rejectedStatements > 0) {
    parts.push_back(Number(o.rejectedStatements) + " instructiuni respinse de baza de date");
  }
  if (o.skippedTotal() > 0) parts.push_back(Number(o.skippedTotal()) + " inregistrari omise");
  if (o.skippedSections > 0) {
    parts.push_back(Number(o.skippedSections) + " sectiuni lasate neschimbate");
  }
  return parts;
}

std::string NoteLine(const RecordNote& note) {
  std::string line = "\n- ";
  if (!note.section.empty()) line += note.section + " ";
  if (note.record > 0) line += "inregistrarea " + Number(note.record) + " ";
  if (!note.key.empty()) line += "(" + note.key + ") ";
  return line + note.reason;
}

// The first few records skipped or refused, skipped ones first.
std::string FirstNotes(const ImportOutcome& o) {
  std::string text;
  std::size_t shown = 0;
  for (const auto* list : {&o.skippedList, &o.rejectedList}) {
    for (const RecordNote& note : *list) {
      if (shown == kRecordsInMessage) break;
      text += NoteLine(note);
      ++shown;
    }
  }
  const std::int64_t all = o.skippedTotal() + o.rejectedStatements;
  if (shown > 0 && all > static_cast<std::int64_t>(shown)) {
    text += "\n... si inca " + Number(all - static_cast<std::int64_t>(shown));
  }
  return text;
}

std::string StopMessage(const ImportOutcome& o) {
  std::string text = o.stopped == StopCause::Prompt
                         ? "Importul a fost oprit la inregistrarea invalida."
                         : "Importul a fost oprit la cerere.";
  if (!o.sectionsWhole.empty()) {
    text += "\nSectiuni scrise complet: " + JoinComma(o.sectionsWhole) + ".";
  }
  if (o.incomplete) {
    const IncompleteSection& s = *o.incomplete;
    text += "\nSectiunea " + s.name + " a ramas incompleta: ";
    if (!s.table.empty() && s.rowsHeld >= 0) {
      text += "tabela " + s.table + " are " + Number(s.rowsHeld) + " randuri";
    } else {
      text += Number(s.rowsWritten) + " inregistrari scrise";
    }
    text += " din cele " + Number(s.fileRecords) + " ale fisierului.";
    text += "\nImportati din nou fisierul complet.";
  } else {
    text += "\nNicio sectiune nu a ramas incompleta.";
  }
  const std::vector<std::string> losses = LossCounts(o);
  if (!losses.empty()) text += "\nAtentie: " + JoinRo(losses) + "." + FirstNotes(o);
  return text + "\nDetaliile sunt in " + LogPath(o);
}

}  // namespace

std::string FileNotReadReason(const ImportOutcome& o) {
  if (!o.notOfKind.empty()) {
    std::string reason = "fisierul nu contine nicio sectiune de " + KindRo(o.notOfKind);
    if (!o.looksLike.empty()) {
      reason += "; pare un fisier de " + KindRo(o.looksLike) + ": " + o.looksLike;
    }
    return reason;
  }
  if (o.fileEmpty) return "fisierul este gol";
  if (o.notXml) return "fisierul nu este XML";
  if (!o.rootFound.empty()) {
    return "radacina fisierului este '" + o.rootFound + "', nu '" + o.rootTag + "'";
  }
  if (o.parse.code != kXmlNoError && o.parse.code != kXmlWarningUnmatchedEndTag) {
    std::string reason = errorText(o.parse.code);
    if (o.parse.code == kXmlErrorFirstTagNotFound) reason += " '" + o.rootTag + "'";
    if (o.parse.line > 0) reason += ", linia " + std::to_string(o.parse.line);
    return reason;
  }
  return "fisierul se termina inainte de sfarsitul documentului, linia " +
         std::to_string(o.parse.line);
}

std::string FileNotReadExplanation(const ImportOutcome& o) {
  if (!o.notOfKind.empty()) {
    std::string text =
        "the file is not a " + KindEn(o.notOfKind) + ": it holds none of its sections";
    if (!o.looksLike.empty()) {
      text += "; it looks like a " + KindEn(o.looksLike) + ": " + o.looksLike;
    }
    return text;
  }
  if (o.fileEmpty) return "the file is empty";
  if (o.notXml) return "the file is not XML";
  if (!o.rootFound.empty()) {
    return "the file's root element is '" + o.rootFound + "', not '" + o.rootTag + "'";
  }
  return {};
}

std::string StopAccount(const ImportOutcome& o) {
  if (o.stopped == StopCause::None) return {};
  std::string text = o.stopped == StopCause::Prompt
                         ? "the user answered No at the invalid-record prompt"
                         : "a stop was requested";
  text += "; sections written whole: ";
  text += o.sectionsWhole.empty() ? std::string("none") : JoinComma(o.sectionsWhole);
  if (o.incomplete) {
    const IncompleteSection& s = *o.incomplete;
    text += "; section left incomplete: " + s.name + " (";
    if (!s.table.empty() && s.rowsHeld >= 0) {
      text += s.table + " holds " + Number(s.rowsHeld) + " rows";
    } else {
      text += Number(s.rowsWritten) + " records written";
    }
    text += " of the file's " + Number(s.fileRecords) +
            " records); the complete file must be imported again";
  } else {
    text += "; no section left incomplete";
  }
  return text;
}

std::string OutcomeMessage(const ImportOutcome& o) {
  if (o.databaseFailed) {
    return "Baza de date nu a mai putut scrie; importul a fost oprit si o parte din date nu "
           "au fost salvate.\nDetaliile sunt in " +
           LogPath(o);
  }
  if (!o.fileRead) {
    return "Fisierul nu a putut fi citit (" + FileNotReadReason(o) + ").\nNu s-a importat nimic.";
  }
  if (o.stopped != StopCause::None) return StopMessage(o);
  const std::vector<std::string> losses = LossCounts(o);
  if (losses.empty()) return {};
  return "Atentie: " + JoinRo(losses) + "." + FirstNotes(o) + "\nDetaliile sunt in " + LogPath(o);
}
