// ImportFrontEnd.h: what the import run needs from the program that started it: the status
// line, message boxes, the Yes/No prompt, the location choice and closing the program.
// The dialog, the command-line program and the tests each implement it; no toolkit here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "import/toolkit/ImportLockEvent.h"
#include "import/toolkit/ImportOutcome.h"

class CAdoDatabase;
class CAdoRecordset;

class ImportFrontEnd {
 public:
  virtual ~ImportFrontEnd() = default;

  // Replaces the whole status text. Callable from any thread; a front end may coalesce fast
  // updates, but the text set last is the one that stays shown.
  virtual void SetStatusText(const std::string& text) = 0;

  // Shows `text` with an OK button and no icon; returns once the user has acknowledged it.
  virtual void ShowMessage(const std::string& text) = 0;

  // Asks `text` with the buttons Yes and No; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;

  // Lets the user pick one of the locations of n_locations, read with `db` and `rs` (both
  // open and owned by the run). The chosen id, or nothing when the choice was cancelled.
  virtual std::optional<std::int32_t> ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) = 0;

  // Ends the program as closing the main dialog with result 0 does (after a failed connection).
  virtual void CloseProgram() = 0;

  // Tells the user about the lock that keeps two imports into one database apart: by default a
  // wait in the status line (the run then waits), and why the run cannot go on in a message.
  virtual void ReportLock(const ImportLockEvent& event) {
    const std::string text = ImportLockText(event);
    if (event.kind == ImportLockEvent::Kind::WaitingForFile ||
        event.kind == ImportLockEvent::Kind::WaitingForServer) {
      SetStatusText(text);
    } else {
      ShowMessage(text);
    }
  }

  // Tells the user how a routine's run ended, once it has ended: by default a message box when
  // rows were rejected or skipped, the file could not be read or the database failed; nothing
  // for a clean run.
  virtual void ReportOutcome(const ImportOutcome& outcome) {
    const std::string text = OutcomeMessage(outcome);
    if (!text.empty()) ShowMessage(text);
  }
};
