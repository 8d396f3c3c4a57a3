// MainDialog.cpp: the native main dialog's window procedure and its buttons.
#include "app/win32/MainDialog.h"

#include <commdlg.h>

#include <cstdio>
#include <functional>
#include <system_error>

#include "res/DialogLayout.h"
#include "update/UpdateChecker.h"

namespace {

constexpr UINT kAboutCommand = 0x10;  // the window menu command of the About entry
constexpr int kAboutMenuString = 101;
constexpr int kIconResource = 128;

}  // namespace

std::string ChooseXmlFile(HWND owner) {
  // The filter list: pairs of display text and pattern, ended by an empty pair.
  std::string filter = std::string(qiva::res::kXmlFilter) + '\0' + "*.XML" + '\0' +
                       qiva::res::kAllFilter + '\0' + "*.*" + '\0' + '\0';
  std::string file(32768, '\0');  // the longest path the system gives
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameA(&dialog)) return {};
  return file.substr(0, file.find('\0'));
}

MainDialog::MainDialog(ProgramPaths paths, std::string commandLineFile)
    : paths_(std::move(paths)),
      commandLineFile_(std::move(commandLineFile)),
      session_(paths_.configurationPath, frontEnd_) {}

MainDialog::~MainDialog() {
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

INT_PTR MainDialog::Run(HINSTANCE instance) {
  return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(qiva::res::kMainDialog.id), nullptr,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<MainDialog*>(lParam);
    ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
  }
  auto* self = reinterpret_cast<MainDialog*>(::GetWindowLongPtrA(dialog, DWLP_USER));
  return self == nullptr ? FALSE : self->Handle(message, wParam, lParam);
}

INT_PTR MainDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return FALSE;  // the focus was set on "Iesire"
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kAboutCommand) {
        ShowAbout();
        return TRUE;
      }
      return FALSE;
    case kStatusMessage:
      frontEnd_.FlushStatus();
      return TRUE;
    case kRunTaskMessage:
      (*reinterpret_cast<std::function<void()>*>(lParam))();
      return TRUE;
    case kCloseMessage:
      ::EndDialog(dialog_, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void MainDialog::OnInitDialog() {
  frontEnd_.Attach(dialog_);
  EnterProgramFolder(paths_);
  std::string title(64, '\0');
  title.resize(static_cast<std::size_t>(
      std::snprintf(title.data(), title.size(), qiva::res::kTitleFormat, qiva::res::kVersion)));
  ::SetWindowTextA(dialog_, title.c_str());
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  HICON icon = ::LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  ::SendMessageA(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageA(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  AddAboutEntry();
  if (!startupNotice_.empty()) {
    ::SetDlgItemTextA(dialog_, qiva::res::kIdStatusLine, startupNotice_.c_str());
  }
  if (!commandLineFile_.empty())
    StartWorker(ImportRequest{ImportKind::ErrorFile, commandLineFile_});
  StartUpdateCheck();
  ::SetFocus(::GetDlgItem(dialog_, qiva::res::kIdCancel));
}

void MainDialog::StartUpdateCheck() {
  qiva::update::UpdateCheckHooks hooks;
  hooks.showMessage = [](const std::string& text) {
    // Without an owner the box is modal for the update thread alone: the dialog stays usable
    // until the user answers it.
    ::MessageBoxA(nullptr, text.c_str(), qiva::res::kMessageTitle, MB_OK);
  };
  qiva::update::UpdateCheckSettings settings = qiva::update::BuiltInUpdateSettings();
  // The installer is saved beside the logs, a folder the program can write, and started there.
  settings.downloadFolder = RunFolder(paths_);
  qiva::update::StartUpdateChecker(std::move(settings), std::move(hooks));
}

void MainDialog::AddAboutEntry() {
  HMENU menu = ::GetSystemMenu(dialog_, FALSE);
  if (menu == nullptr) return;
  std::string text(256, '\0');
  const int length = ::LoadStringA(::GetModuleHandleA(nullptr), kAboutMenuString, text.data(),
                                   static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  if (text.empty()) text = qiva::res::kAboutMenuText;
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, kAboutCommand, text.c_str());
}

void MainDialog::ShowAbout() {
  ::DialogBoxParamA(
      ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(qiva::res::kAboutDialog.id), dialog_,
      [](HWND about, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) return TRUE;
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
          ::EndDialog(about, LOWORD(wParam));
          return TRUE;
        }
        return FALSE;
      },
      0);
}

void MainDialog::OnCommand(int id) {
  if (id == IDCANCEL || id == IDOK) {
    // "Iesire", Escape, the close box and Enter outside a button end the program.
    ::EndDialog(dialog_, id);
    return;
  }
  for (const ImportKindInfo& info : ImportKinds()) {
    if (info.buttonId != id) continue;
    StartWorker(ImportRequest{info.kind, ChooseXmlFile(dialog_)});
    return;
  }
}

void MainDialog::StartWorker(ImportRequest request) {
  ++activeWorkers_;
  try {
    workers_.emplace_back([this, request = std::move(request)] {
      ImportWorker(session_, request);
      --activeWorkers_;
    });
  } catch (const std::system_error&) {
    --activeWorkers_;  // a thread that cannot start is not reported, like a press that did nothing
  }
}
