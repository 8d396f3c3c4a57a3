// CliFrontEnd.cpp: terminal output of a command-line import. The progress line is redrawn at
// most ten times a second, so a fast import is not slowed by its own output.
#include "app/cli/CliFrontEnd.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "app/LocationList.h"

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

std::optional<std::int64_t> RecordNumberIn(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value > (INT64_MAX - 9) / 10) break;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

CliFrontEnd::CliFrontEnd(Settings settings, std::ostream& out, std::ostream& err, std::istream& in)
    : settings_(std::move(settings)), out_(out), err_(err), in_(in) {}

void CliFrontEnd::SetStatusText(const std::string& text) {
  lastStatus_ = text;
  if (text.rfind("Procesez", 0) == 0) {
    if (auto number = RecordNumberIn(text)) records_ = *number;
  }
  DrawProgress(false);
}

void CliFrontEnd::DrawProgress(bool force) {
  if (!settings_.progress) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && lineShown_ && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  std::string line = "\r" + lastStatus_;
  if (records_ > 0) {
    const auto rate = static_cast<std::int64_t>(seconds > 0 ? records_ / seconds : 0);
    line += "  [" + std::to_string(records_) + " records, " + std::to_string(rate) + " records/s]";
  }
  for (char& c : line) {
    if (c == '\n') c = ' ';  // the line is redrawn in place: it must stay one line
  }
  err_ << line << "\x1b[K" << std::flush;
  lineShown_ = true;
}

void CliFrontEnd::ClearProgress() {
  if (!lineShown_) return;
  err_ << "\r\x1b[K" << std::flush;
  lineShown_ = false;
}

void CliFrontEnd::ShowMessage(const std::string& text) {
  ClearProgress();
  err_ << text << '\n' << std::flush;
}

bool CliFrontEnd::AskYesNo(const std::string& text) {
  ClearProgress();
  if (settings_.onInvalid != InvalidRecordAnswer::Ask) {
    const bool yes = settings_.onInvalid == InvalidRecordAnswer::Skip;
    err_ << text << ' ' << (yes ? "yes (--on-invalid skip)" : "no (--on-invalid stop)") << '\n'
         << std::flush;
    return yes;
  }
  for (;;) {
    err_ << text << " [y/n] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) {
      err_ << "yes\n" << std::flush;  // no more input: keep going, as --on-invalid skip
      return true;
    }
    const char c = answer.empty()
                       ? '\0'
                       : static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
    if (c == 'd' || c == 'y') return true;
    if (c == 'n') return false;
  }
}

std::optional<std::int32_t> CliFrontEnd::ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) {
  ClearProgress();
  const std::vector<LocationItem> locations = LoadLocations(db, rs);
  if (settings_.location) {
    for (const LocationItem& item : locations) {
      if (item.id == *settings_.location) return item.id;
    }
    err_ << "location " << *settings_.location << " is not in n_locations\n";
  } else {
    err_ << "the database keeps data per location: choose one with --location ID\n";
  }
  err_ << "locations:";
  if (locations.empty()) err_ << " none";
  err_ << '\n';
  for (const LocationItem& item : locations) err_ << "  " << item.id << '\t' << item.name << '\n';
  err_ << std::flush;
  return std::nullopt;
}

void CliFrontEnd::Finish() {
  ClearProgress();
  if (settings_.progress && records_ > 0) {
    const auto elapsed = std::chrono::steady_clock::now() - started_;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    err_ << records_ << " records in " << static_cast<std::int64_t>(seconds * 1000) << " ms ("
         << static_cast<std::int64_t>(seconds > 0 ? records_ / seconds : 0) << " records/s)\n";
  }
  if (!lastStatus_.empty()) out_ << lastStatus_ << '\n' << std::flush;
}

void CliFrontEnd::ReportLock(const ImportLockEvent& event) {
  ClearProgress();
  using K = ImportLockEvent::Kind;
  switch (event.kind) {
    case K::WaitingForFile:
      err_ << "another import into this database is running (lock " << event.lockFile
           << "); waiting for it to end...\n";
      break;
    case K::WaitingForServer:
      err_ << "another import into database " << event.database
           << " is running (SQL Server application lock " << event.resource
           << "); waiting for it to end (at most " << event.waitSeconds << " s)...\n";
      break;
    case K::FolderNotWritable:
      err_ << "the database folder cannot be written: " << event.folder << " (the lock file "
           << event.lockFile << " cannot be created)\n";
      break;
    case K::FileNotCreated:
      err_ << "cannot create the lock file " << event.lockFile << '\n';
      break;
    case K::Busy:
      err_ << "database " << event.database
           << " is busy: another import is running there (the SQL Server application lock "
           << event.resource << " was not granted within " << event.waitSeconds
           << " s); nothing was imported\n";
      break;
    case K::Refused:
      err_ << "cannot lock database " << event.database << " for the import (" << event.why
           << "); nothing was imported\n";
      break;
  }
  err_ << std::flush;
}
