// CliFrontEnd.h: the import run's front end on a terminal or in a script: progress on standard
// error, messages on standard error, the invalid-record answer and the location from options.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "app/cli/CliOptions.h"
#include "import/toolkit/ImportFrontEnd.h"

class CliFrontEnd : public ImportFrontEnd {
 public:
  struct Settings {
    bool progress = false;  // draw the in-place progress line (a terminal, not --quiet)
    InvalidRecordAnswer onInvalid = InvalidRecordAnswer::Skip;
    std::optional<std::int32_t> location;
  };

  CliFrontEnd(Settings settings, std::ostream& out, std::ostream& err, std::istream& in);

  void SetStatusText(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::optional<std::int32_t> ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) override;
  void CloseProgram() override { closeRequested_ = true; }
  // The lock's waits and failures on standard error, in the command line's words.
  void ReportLock(const ImportLockEvent& event) override;
  // The command line reports the outcome in its summary line instead of a message.
  void ReportOutcome(const ImportOutcome&) override {}

  // Clears the progress line and prints the last status text (if any) on standard output.
  void Finish();

  const std::string& lastStatus() const { return lastStatus_; }
  bool closeRequested() const { return closeRequested_; }
  // Records counted from "Procesez inregistrarea N ..." texts so far.
  std::int64_t records() const { return records_; }

 private:
  void DrawProgress(bool force);
  void ClearProgress();

  Settings settings_;
  std::ostream& out_;
  std::ostream& err_;
  std::istream& in_;
  std::string lastStatus_;
  bool closeRequested_ = false;
  bool lineShown_ = false;
  std::int64_t records_ = 0;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDraw_{};
};

// The record number in a progress text such as "Procesez inregistrarea 12 ...": the first
// number in the text, or nothing when it holds none.
std::optional<std::int64_t> RecordNumberIn(const std::string& text);
