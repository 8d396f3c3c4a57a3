// CQIVA_IMPORTDlg.cpp: the main dialog, laid out from its template; it only collects the
// file and the kind and hands them to the shared import run.
#include "app/gui/CQIVA_IMPORTDlg.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "app/gui/AppIcon.h"
#include "app/gui/CAboutDlg.h"
#include "app/gui/DialogUnits.h"
#include "app/gui/DlgLocation.h"
#include "app/gui/UpdateUiBridge.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using qiva::res::ControlKind;

namespace {

#ifdef Q_OS_WIN
constexpr int kAboutCommand = 0x10;  // the window menu command of the About entry
#endif

constexpr const char* kStopQuestion =
    "Un import este in curs.\nOpresc importul dupa sectiunea in lucru?";
constexpr const char* kStoppingText = "Opresc importul dupa sectiunea in lucru...";
constexpr const char* kStoppingNowText = "Opresc importul la urmatoarea inregistrare...";

std::string ChooseXmlFile(QWidget* owner) {
  QFileDialog chooser(owner);
  chooser.setFileMode(QFileDialog::ExistingFile);
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  chooser.setNameFilters(
      {QString::fromLatin1(qiva::res::kXmlFilter), QString::fromLatin1(qiva::res::kAllFilter)});
  chooser.setFilter(chooser.filter() & ~QDir::CaseSensitive);  // *.XML matches a.xml too
#ifndef Q_OS_WIN
  // Desktop-native choosers elsewhere may match patterns case-sensitively.
  chooser.setOption(QFileDialog::DontUseNativeDialog);
#endif
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
  return chooser.selectedFiles().front().toLocal8Bit().toStdString();
}

bool AskYesNoBox(QWidget* owner, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(qiva::res::kMessageTitle),
                  QString::fromLocal8Bit(text), QMessageBox::Yes | QMessageBox::No, owner);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::int32_t> ChooseLocationBox(QWidget* owner, CAdoDatabase& db, CAdoRecordset& rs) {
  DlgLocation dialog(db, rs, owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosenLocationId();
}

}  // namespace

CQIVA_IMPORTDlg::CQIVA_IMPORTDlg(ProgramPaths paths, std::string commandLine, QWidget* parent)
    : QDialog(parent),
      paths_(std::move(paths)),
      commandLine_(std::move(commandLine)),
      session_(paths_.configurationPath, frontEnd_) {
  prompts_.chooseFile = &ChooseXmlFile;
  prompts_.message = [](QWidget* owner, const std::string& text) {
    ShowPlainMessage(owner, QString::fromLocal8Bit(text));
  };
  prompts_.yesNo = &AskYesNoBox;
  prompts_.location = &ChooseLocationBox;
  setWindowIcon(AppIcon());
  setWindowTitle(QString::fromLatin1(qiva::res::kMainDialog.caption));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
  BuildControls();
  AddAboutEntry();
  updateBridge_ = std::make_shared<UpdateUiBridge>(this);
  updateHooks_.showMessage = [bridge = updateBridge_](const std::string& text) {
    bridge->ShowMessageAndWait(text);
  };
  updateHooks_.exitProgram = [bridge = updateBridge_] { bridge->ExitProgram(); };
}

CQIVA_IMPORTDlg::~CQIVA_IMPORTDlg() {
  updateBridge_->Detach();  // the update check may outlive the dialog
  // Runs that have ended are joined; one still running is left to the ending process.
  const bool allEnded = activeWorkers_.load() == 0;
  for (std::thread& worker : workers_) {
    if (!worker.joinable()) continue;
    if (allEnded) {
      worker.join();
    } else {
      worker.detach();
    }
  }
}

void CQIVA_IMPORTDlg::BuildControls() {
  setFont(DialogFont(qiva::res::kMainDialog));
  const DialogUnits units(font());
  setFixedSize(units.size(qiva::res::kMainDialog.width, qiva::res::kMainDialog.height));
  QWidget* previous = nullptr;
  for (const auto& control : qiva::res::kMainDialogControls) {
    const QString text = QString::fromLatin1(control.text);
    QWidget* widget = nullptr;
    if (control.kind == ControlKind::Label) {
      widget = new QLabel(text, this);
    } else if (control.kind == ControlKind::Edit) {
      statusLine_ = new QLineEdit(this);
      widget = statusLine_;
    } else {
      auto* button = new QPushButton(text, this);
      button->setAutoDefault(true);  // Enter presses the button that has the focus
      buttons_[control.id] = button;
      widget = button;
      if (control.id == qiva::res::kIdCancel) {
        connect(button, &QPushButton::clicked, this, &QDialog::reject);
      } else {
        for (const auto& info : ImportKinds()) {
          if (info.buttonId != control.id) continue;
          const ImportKind kind = info.kind;
          connect(button, &QPushButton::clicked, this, [this, kind] { OnImportButton(kind); });
        }
      }
    }
    widget->setGeometry(units.rect(control));
    if (widget->focusPolicy() != Qt::NoFocus) {
      if (previous != nullptr) QWidget::setTabOrder(previous, widget);
      previous = widget;
    }
  }
}

void CQIVA_IMPORTDlg::AddAboutEntry() {
  auto* about = new QAction(QString::fromLatin1(qiva::res::kAboutMenuText), this);
  connect(about, &QAction::triggered, this, &CQIVA_IMPORTDlg::ShowAbout);
  addAction(about);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

QPushButton* CQIVA_IMPORTDlg::button(int id) const {
  auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

void CQIVA_IMPORTDlg::OnInitDialog() {
  EnterProgramFolder(paths_);
  setWindowTitle(QString::asprintf(qiva::res::kTitleFormat, qiva::res::kVersion));
  if (!startupNotice_.empty()) statusLine_->setText(QString::fromLocal8Bit(startupNotice_));
  if (!commandLine_.empty()) StartWorker(ImportRequest{ImportKind::ErrorFile, commandLine_});
  // The installer is saved beside the logs, a folder the program can write, and started there.
  updateSettings_.downloadFolder = RunFolder(paths_);
  qiva::update::StartUpdateChecker(updateSettings_, updateHooks_);
  if (QPushButton* exit = button(qiva::res::kIdCancel)) exit->setFocus();
}

void CQIVA_IMPORTDlg::OnImportButton(ImportKind kind) {
  // Refused before the file dialog, so that no file is chosen for nothing. The worker still
  // refuses a run that starts while another is active.
  if (ImportRunning()) {
    prompts_.message(this, kBusyText);
    return;
  }
  std::error_code error;
  const std::filesystem::path saved = std::filesystem::current_path(error);
  std::string path = prompts_.chooseFile(this);
  if (!error) std::filesystem::current_path(saved, error);
  StartWorker(ImportRequest{kind, std::move(path)});
}

void CQIVA_IMPORTDlg::StartWorker(ImportRequest request) {
  ++activeWorkers_;
  try {
    workers_.emplace_back([this, request = std::move(request)] {
      ImportWorker(session_, request);
      // The run has told its account; a close asked for during it now takes effect.
      if (closeAfterRun_.load()) {
        QMetaObject::invokeMethod(
            this, [this] { QDialog::done(QDialog::Rejected); }, Qt::QueuedConnection);
      }
      --activeWorkers_;
    });
  } catch (const std::system_error&) {
    --activeWorkers_;  // a thread that cannot start is not reported
  }
}

bool CQIVA_IMPORTDlg::WaitForWorkers(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (activeWorkers_.load() != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  workers_.clear();
  QApplication::processEvents();  // the last queued status update
  return true;
}

void CQIVA_IMPORTDlg::reject() {
  if (!ImportRunning()) {
    QDialog::reject();
    return;
  }
  if (!prompts_.yesNo(this, kStopQuestion)) return;
  // Checked again: the run may have ended while the question was shown.
  if (!ImportRunning()) {
    QDialog::reject();
    return;
  }
  closeAfterRun_.store(true);
  if (!ImportRunning()) {
    QDialog::reject();  // it ended before it could see the request
    return;
  }
  RequestImportStop();
  statusLine_->setText(
      QString::fromLatin1(ImportStopRequests() >= 2 ? kStoppingNowText : kStoppingText));
}

void CQIVA_IMPORTDlg::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CQIVA_IMPORTDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // A focused button takes Enter itself; elsewhere Enter ends the dialog.
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
      focused->click();
    } else {
      accept();
    }
    return;
  }
  QDialog::keyPressEvent(event);
}

void CQIVA_IMPORTDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
#ifdef Q_OS_WIN
  if (!aboutEntryAdded_) {
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (menu != nullptr) {
      ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(menu, MF_STRING, kAboutCommand, qiva::res::kAboutMenuText);
    }
  }
#endif
  aboutEntryAdded_ = true;
}

#ifdef Q_OS_WIN
bool CQIVA_IMPORTDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  const MSG* msg = static_cast<const MSG*>(message);
  if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand) {
    ShowAbout();
    *result = 0;
    return true;
  }
  return QDialog::nativeEvent(eventType, message, result);
}
#endif
