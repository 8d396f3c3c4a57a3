// CQIVA_IMPORTDlg.h: the main dialog: the status line, one button per import kind and
// "Iesire". A button asks for an XML file and starts the shared import run on a new thread.
#pragma once

#include <QDialog>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/ImportWorker.h"
#include "app/gui/QtFrontEnd.h"
#include "base/ProgramPaths.h"
#include "update/UpdateChecker.h"

class QLineEdit;
class QPushButton;
class UpdateUiBridge;

class CQIVA_IMPORTDlg : public QDialog {
 public:
  // The modal prompts the dialog shows on behalf of the run, on the user-interface thread.
  // Each defaults to the real widget; tests replace them.
  struct Prompts {
    std::function<std::string(QWidget*)> chooseFile;  // "" when cancelled
    std::function<void(QWidget*, const std::string&)> message;
    std::function<bool(QWidget*, const std::string&)> yesNo;
    std::function<std::optional<std::int32_t>(QWidget*, CAdoDatabase&, CAdoRecordset&)> location;
  };

  // Builds the dialog for the program at `paths`; `commandLine` is the text that followed the
  // program name (a file to import as an error file at once), empty when none.
  CQIVA_IMPORTDlg(ProgramPaths paths, std::string commandLine, QWidget* parent = nullptr);
  ~CQIVA_IMPORTDlg() override;

  // A text the status line shows from start-up until the first run replaces it (where the
  // logs went, LogFolderNotice); empty: the status line starts empty.
  void SetStartupNotice(std::string text) { startupNotice_ = std::move(text); }

  // Start-up: enters the program folder, sets the title with the version, shows the start-up
  // notice, starts the import of the command-line file if there is one and, in every case, the
  // update check.
  void OnInitDialog();

  // What a button does: during a run says "In procesare..." at once and does nothing more;
  // otherwise asks for a file (the current directory is kept), then starts a run of `kind` with
  // that file on a new thread; a cancelled choice starts a run that does nothing.
  void OnImportButton(ImportKind kind);

  // "Iesire", Escape and the close box. During a run asks whether to stop the import: Yes asks
  // the run to stop after the section in progress (again: at the next record) and closes the
  // dialog once the run has ended and told its account; No lets it go on.
  void reject() override;

  // Starts a run of `request` on a new thread.
  void StartWorker(ImportRequest request);

  // Processes events until every started run has ended (or `timeout` passes); true when all
  // have ended. For orderly shutdown and tests.
  bool WaitForWorkers(std::chrono::milliseconds timeout);
  int activeWorkers() const { return activeWorkers_.load(); }

  QLineEdit* statusLine() const { return statusLine_; }
  QPushButton* button(int id) const;
  Prompts& prompts() { return prompts_; }
  ImportSession& session() { return session_; }
  const ProgramPaths& paths() const { return paths_; }

  // The update check that OnInitDialog starts: this build's settings, and hooks that show its
  // message and end the program through this dialog. Tests may change both before start-up.
  qiva::update::UpdateCheckSettings& updateSettings() { return updateSettings_; }
  qiva::update::UpdateCheckHooks& updateHooks() { return updateHooks_; }

  // Shows the About box modally.
  void ShowAbout();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
#ifdef Q_OS_WIN
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

 private:
  void BuildControls();
  void AddAboutEntry();

  ProgramPaths paths_;
  std::string commandLine_;
  std::string startupNotice_;
  Prompts prompts_;
  QtFrontEnd frontEnd_{*this};
  ImportSession session_;
  QLineEdit* statusLine_ = nullptr;
  std::map<int, QPushButton*> buttons_;
  std::vector<std::thread> workers_;
  std::atomic<int> activeWorkers_{0};
  std::atomic<bool> closeAfterRun_{false};
  bool aboutEntryAdded_ = false;
  std::shared_ptr<UpdateUiBridge> updateBridge_;
  qiva::update::UpdateCheckSettings updateSettings_ = qiva::update::BuiltInUpdateSettings();
  qiva::update::UpdateCheckHooks updateHooks_;
};
