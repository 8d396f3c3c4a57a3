// Tests of the dialog program's windows off screen: the main dialog's texts, layout and keys,
// its runs through the shared worker (busy message, cancelled chooser, command-line file,
// failed connection, location choice) and the location dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <future>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "app/FileLock.h"
#include "app/LocationList.h"
#include "app/Places.h"
#include "app/gui/CQIVA_IMPORTDlg.h"
#include "app/gui/DlgLocation.h"
#include "app/gui/RomanianQtTexts.h"
#include "app/tests/FakeDatabase.h"
#include "base/tests/TestSupport.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/sqlite/SchemaScripts.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"
#ifndef _WIN32
#include "update/tests/TestHttpServer.h"
#endif

namespace {

using namespace std::chrono_literals;
using qiva::import::test::EmbeddedRows;
using qiva::import::test::EmbeddedValue;
using qiva::import::test::Rows;
using qiva::test::FakeDatabaseScript;
using qiva::test::ScratchDir;

QApplication& App() {
  static int argc = 1;
  static char name[] = "app_gui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

struct Probe {
  std::atomic<int> calls{0};
  std::atomic<int> kind{-1};
  std::atomic<int> locationId{0};
  std::atomic<bool> entered{false};
  std::string path;
  std::shared_future<void> release;
};
Probe probe;

int ProbeRoutine(ImportContext& context, const std::string& path, ImportKind kind) {
  ++probe.calls;
  probe.kind = static_cast<int>(kind);
  probe.path = path;
  probe.locationId = context.locationId;
  probe.entered = true;
  if (probe.release.valid()) probe.release.wait();
  for (int i = 1; i <= 5000; ++i)
    context.SetStatusText("Procesez inregistrarea " + std::to_string(i) + " ...");
  context.SetStatusText("Procesat 5000 inregistrari");
  return 1;
}
template <ImportKind K>
int RoutineFor(ImportContext& context, const std::string& path) {
  return ProbeRoutine(context, path, K);
}

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    probe.calls = 0;
    probe.kind = -1;
    probe.entered = false;
    probe.release = {};
    saved = std::filesystem::current_path();
    qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"), "server=s\r\ndatabase=d\r\n");
    script->queries[kLocationCheckQuery] = qiva::db::ResultSet{{"column_name"}, {}};
  }
  void TearDown() override {
    if (dialog) {
      EXPECT_TRUE(dialog->WaitForWorkers(10s));
    }
    dialog.reset();
    std::filesystem::current_path(saved);
  }
  CQIVA_IMPORTDlg& Make(std::string commandLine = "") {
    return MakeAt(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix),
                  std::move(commandLine));
  }
  CQIVA_IMPORTDlg& MakeAt(const ProgramPaths& paths, std::string commandLine = "") {
    dialog = std::make_unique<CQIVA_IMPORTDlg>(paths, std::move(commandLine));
    dialog->updateSettings().server.clear();  // no test reaches a configured update server
    ImportSession& session = dialog->session();
    session.database().SetEngineFactory(qiva::test::FakeEngineFactory(script));
    session.SetRoutine(ImportKind::Personalization, &RoutineFor<ImportKind::Personalization>);
    session.SetRoutine(ImportKind::Nomenclatures, &RoutineFor<ImportKind::Nomenclatures>);
    session.SetRoutine(ImportKind::ErrorFile, &RoutineFor<ImportKind::ErrorFile>);
    session.SetRoutine(ImportKind::Feedback, &RoutineFor<ImportKind::Feedback>);
    dialog->prompts().chooseFile = [this](QWidget*) { return chosenFile; };
    dialog->prompts().message = [this](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    return *dialog;
  }
  void WaitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
  }

  ScratchDir dir;
  std::filesystem::path saved;
  std::shared_ptr<FakeDatabaseScript> script = std::make_shared<FakeDatabaseScript>();
  std::unique_ptr<CQIVA_IMPORTDlg> dialog;
  std::string chosenFile = "in.xml";
  std::vector<std::string> messages;
};

TEST_F(MainDialogTest, showsTheTitleLabelAndButtonsOfItsTemplate) {
  CQIVA_IMPORTDlg& dlg = Make();
  EXPECT_EQ(dlg.windowTitle(), "QIVA_IMPORT");
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.windowTitle(), "QIVA_IMPORT v 2020081101");
  EXPECT_EQ(std::filesystem::current_path(), dir.path());

  const std::vector<std::pair<int, QString>> topToBottom = {
      {1002, "Import personalizare"},
      {1000, "Import medici trimitatori"},
      {1003, "Import nomenclatoare"},
      {1005, "Import nom. farm (medicamente)"},
      {1009, "Import NHP"},
      {1004, "Import fisier erori"},
      {1006, "SPT: Import fisier erori farm"},
      {1007, "SPT: Import Serv Spit ZI"},
      {1008, "SPT: Import Feedback"},
      {2, "Iesire"}};
  int lastY = -1;
  for (const auto& [id, caption] : topToBottom) {
    QPushButton* button = dlg.button(id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(button->text(), caption);
    EXPECT_GT(button->y(), lastY) << caption.toStdString();
    EXPECT_EQ(button->width(), dlg.button(2)->width());
    EXPECT_FALSE(button->isDefault());
    lastY = button->y();
  }
  const QList<QLabel*> labels = dlg.findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels[0]->text(), "Stare operatiune :");
  EXPECT_LT(labels[0]->y(), dlg.statusLine()->y());
  EXPECT_LT(dlg.statusLine()->y(), dlg.button(1002)->y());
  EXPECT_FALSE(dlg.statusLine()->isReadOnly());
  EXPECT_EQ(dlg.focusWidget(), dlg.button(2));
  // The tab order follows the template: Iesire, 1000, the status line, 1002, 1003 ...
  std::vector<QWidget*> tabOrder;
  for (QWidget* w = dlg.button(2); tabOrder.size() < 11; w = w->nextInFocusChain()) {
    if (w->focusPolicy() & Qt::TabFocus) tabOrder.push_back(w);
  }
  const std::vector<QWidget*> expected = {dlg.button(2),    dlg.button(1000), dlg.statusLine(),
                                          dlg.button(1002), dlg.button(1003), dlg.button(1004),
                                          dlg.button(1005), dlg.button(1006), dlg.button(1007),
                                          dlg.button(1008), dlg.button(1009)};
  EXPECT_EQ(tabOrder, expected);

  const QList<QAction*> actions = dlg.actions();
  ASSERT_EQ(actions.size(), 1);
  EXPECT_EQ(actions[0]->text(), "&About QIVA_IMPORT...");
}

TEST_F(MainDialogTest, buttonsFitTheirCaptions) {
  CQIVA_IMPORTDlg& dlg = Make();
  for (const auto& info : ImportKinds()) {
    QPushButton* button = dlg.button(info.buttonId);
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width())
        << info.caption;
  }
}

TEST_F(MainDialogTest, escapeAndEnterOnIesireEndTheDialog) {
  CQIVA_IMPORTDlg& dlg = Make();
  dlg.OnInitDialog();
  dlg.open();
  ASSERT_TRUE(dlg.isVisible());
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_FALSE(dlg.isVisible());

  dlg.open();
  dlg.button(2)->setFocus();
  QTest::keyClick(dlg.button(2), Qt::Key_Return);
  EXPECT_FALSE(dlg.isVisible());

  dlg.open();
  dlg.statusLine()->setFocus();
  QTest::keyClick(dlg.statusLine(), Qt::Key_Return);
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MainDialogTest, secondPressDuringARunIsRefusedAndTheRunKeepsItsFile) {
  CQIVA_IMPORTDlg& dlg = Make();
  std::promise<void> release;
  probe.release = release.get_future().share();
  chosenFile = "first.xml";
  dlg.button(1003)->click();
  WaitUntil([] { return probe.entered.load(); });
  ASSERT_TRUE(probe.entered);

  chosenFile = "second.xml";
  int choices = 0;
  dlg.prompts().chooseFile = [&choices](QWidget*) {
    ++choices;
    return std::string("second.xml");
  };
  dlg.button(1002)->click();
  // Said at once: no file is chosen for a run that cannot start.
  EXPECT_EQ(messages, std::vector<std::string>{"In procesare..."});
  EXPECT_EQ(choices, 0);
  release.set_value();
  ASSERT_TRUE(dlg.WaitForWorkers(10s));

  EXPECT_EQ(probe.calls, 1);
  EXPECT_EQ(probe.kind, static_cast<int>(ImportKind::Nomenclatures));
  EXPECT_EQ(probe.path, "first.xml");
  // Updates may be coalesced, but the field ends showing the last text.
  EXPECT_EQ(dlg.statusLine()->text(), "Procesat 5000 inregistrari");
}

TEST_F(MainDialogTest, cancelledFileChoiceStartsARunThatDoesNothing) {
  CQIVA_IMPORTDlg& dlg = Make();
  chosenFile = "";
  dlg.button(1008)->click();
  ASSERT_TRUE(dlg.WaitForWorkers(10s));
  EXPECT_EQ(probe.calls, 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(script->Log().empty());
  EXPECT_EQ(dlg.statusLine()->text(), "");
}

TEST_F(MainDialogTest, commandLineFileIsImportedAsAnErrorFileAtOnce) {
  CQIVA_IMPORTDlg& dlg = Make("/in/SPT_ACUT_1_2_3_4.xml");
  dlg.OnInitDialog();
  ASSERT_TRUE(dlg.WaitForWorkers(10s));
  EXPECT_EQ(probe.calls, 1);
  EXPECT_EQ(probe.kind, static_cast<int>(ImportKind::ErrorFile));
  EXPECT_EQ(probe.path, "/in/SPT_ACUT_1_2_3_4.xml");
}

// Started from a desktop, nobody reads standard error: where the logs went instead of the
// program folder, or that they are lost, stands in the status line until a run replaces it.
// The update check keeps its downloads beside the logs.
TEST_F(MainDialogTest, logsAwayFromTheProgramFolderAreSaidInTheStatusLine) {
  ScratchDir state;
  std::vector<std::string> refused;
  PlaceEnvironment env;
  env.xdgStateHome = state.path().string();
  env.systemConfigFolder.clear();
  env.makeWritable = [&refused](const std::string& folder, std::string& why) {
    for (const std::string& r : refused) {
      if (folder == r) {
        why = "read-only";
        return false;
      }
    }
    return MakeWritableFolder(folder, why);
  };
  const std::string stateFolder = state.file("qiva-import");
  auto open = [&] {
    ProgramPaths paths = ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix);
    const Places places = SettlePlaces(paths, {}, env);
    CQIVA_IMPORTDlg& dlg = MakeAt(paths);
    dlg.SetStartupNotice(LogFolderNotice(places.logs));
    dlg.OnInitDialog();
    return &dlg;
  };

  CQIVA_IMPORTDlg* dlg = open();  // the program folder can be written: nothing to say
  EXPECT_EQ(dlg->statusLine()->text(), "");
  EXPECT_EQ(dlg->updateSettings().downloadFolder, dir.path().string());

  refused = {dir.path().string()};
  dlg = open();
  EXPECT_EQ(dlg->statusLine()->text().toStdString(),
            "Jurnalele sunt in " + stateFolder + ", nu in folderul programului");
  EXPECT_EQ(std::filesystem::current_path(), stateFolder);
  EXPECT_EQ(dlg->updateSettings().downloadFolder, stateFolder);
  dlg->button(1003)->click();
  ASSERT_TRUE(dlg->WaitForWorkers(10s));
  EXPECT_EQ(dlg->statusLine()->text(), "Procesat 5000 inregistrari");

  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"), "server=s\r\nlogs=logs\r\n");
  refused = {dir.file("logs")};
  EXPECT_EQ(open()->statusLine()->text().toStdString(),
            "Atentie: folderul din logs= nu poate fi scris; jurnalele sunt in " + stateFolder);

  refused = {dir.file("logs"), stateFolder};
  EXPECT_EQ(open()->statusLine()->text(),
            "Atentie: jurnalele nu pot fi scrise in niciun folder si se pierd");
}

#ifndef _WIN32
TEST_F(MainDialogTest, updateCheckRunsBesideTheDialogWhichStaysUsable) {
  qiva::test::TestHttpServer server;
  server.Route("/download/qiva_import/qiva_import_version.xml",
               qiva::test::HttpReply{{}, qiva::test::HttpReply::End::Hang});
  CQIVA_IMPORTDlg& dlg = Make();
  dlg.updateSettings().server = server.authority();
  dlg.updateHooks().startDelay = 0ms;
  dlg.OnInitDialog();
  ASSERT_TRUE(server.WaitForConnections(1, 10s));

  // While the check waits for the silent server, a button press imports as usual.
  dlg.button(1003)->click();
  WaitUntil([&] { return dlg.statusLine()->text() == "Procesat 5000 inregistrari"; });
  EXPECT_EQ(dlg.statusLine()->text(), "Procesat 5000 inregistrari");
  EXPECT_EQ(probe.calls.load(), 1);

  server.ReleaseHanging();  // the connection then closes without an answer
  const std::string log = dlg.paths().updateLogPath;
  WaitUntil(
      [&] { return qiva::test::ReadFileBytes(log).find("Failed to UPDATE") != std::string::npos; });
  const std::string manifestUrl =
      "http://" + server.authority() + "/download/qiva_import/qiva_import_version.xml";
  const std::string entries = qiva::test::ReadFileBytes(log);
  EXPECT_NE(entries.find("]->Check update\r\n["), std::string::npos);
  EXPECT_NE(entries.find("]->Failed to download " + manifestUrl + "\r\n["), std::string::npos);
}

TEST_F(MainDialogTest, updateMessageIsShownByTheDialogThreadWithoutBlockingTheDialog) {
  CQIVA_IMPORTDlg& dlg = Make();
  dlg.show();
  const std::string text =
      "Un nou update a fost publicat\nApasati OK pentru actualizarea aplicatiei !";
  std::atomic<bool> answered{false};
  std::thread check([&] {
    dlg.updateHooks().showMessage(text);
    answered = true;
  });
  QMessageBox* box = nullptr;
  WaitUntil([&] {
    box = dlg.findChild<QMessageBox*>();
    return box != nullptr && box->isVisible();
  });
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text().toStdString(), text);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // the dialog takes input meanwhile
  dlg.button(1003)->click();
  WaitUntil([&] { return dlg.statusLine()->text() == "Procesat 5000 inregistrari"; });
  EXPECT_EQ(dlg.statusLine()->text(), "Procesat 5000 inregistrari");
  EXPECT_FALSE(answered.load());

  box->button(QMessageBox::Ok)->click();
  WaitUntil([&] { return answered.load(); });
  check.join();
  EXPECT_TRUE(answered.load());

  // A dialog that goes while the box is open releases the waiting thread too, and later
  // requests do nothing.
  auto hooks = dlg.updateHooks();
  std::thread orphan([&] { hooks.showMessage(text); });
  WaitUntil([&] { return dlg.findChild<QMessageBox*>() != nullptr; });
  ASSERT_TRUE(dialog->WaitForWorkers(10s));
  dialog.reset();
  orphan.join();
  hooks.showMessage(text);
  hooks.exitProgram();
}

TEST_F(MainDialogTest, updateCheckAgainstAClosedPortOnlyWritesTheUpdateLog) {
  CQIVA_IMPORTDlg& dlg = Make();
  const std::string server = "127.0.0.1:" + std::to_string(qiva::test::ClosedLoopbackPort());
  dlg.updateSettings().server = server;
  dlg.updateHooks().startDelay = 0ms;
  dlg.OnInitDialog();
  const std::string log = dlg.paths().updateLogPath;
  WaitUntil(
      [&] { return qiva::test::ReadFileBytes(log).find("Failed to UPDATE") != std::string::npos; });
  EXPECT_NE(qiva::test::ReadFileBytes(log).find("]->Failed to download http://" + server),
            std::string::npos);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dlg.statusLine()->text(), "");
}
#endif

TEST_F(MainDialogTest, failedConnectionShowsTheErrorAndClosesTheDialog) {
  script->openSucceeds = false;
  script->openError = {0x80004005, "", "ODBC", "cannot connect", {{0x4818, "Login failed"}}};
  CQIVA_IMPORTDlg& dlg = Make();
  dlg.open();
  dlg.button(1003)->click();
  ASSERT_TRUE(dlg.WaitForWorkers(10s));
  WaitUntil([&dlg] { return !dlg.isVisible(); });
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("Login failed"), std::string::npos);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), 0);
  EXPECT_EQ(probe.calls, 0);
}

TEST_F(MainDialogTest, locationDialogChoiceReachesTheRoutine) {
  script->queries[kLocationCheckQuery] =
      qiva::db::ResultSet{{"column_name"}, {{DbValue(std::string("locationid"))}}};
  script->queries[kLocationListQuery] =
      qiva::test::LocationRows({{1, "Cluj"}, {3, "Brasov"}, {2, "Arad"}});
  CQIVA_IMPORTDlg& dlg = Make();
  std::vector<QString> shown;
  dlg.prompts().location = [&shown](QWidget* owner, CAdoDatabase& db,
                                    CAdoRecordset& rs) -> std::optional<std::int32_t> {
    DlgLocation location(db, rs, owner);
    for (int i = 0; i < location.locationList()->count(); ++i) {
      shown.push_back(location.locationList()->itemText(i));
    }
    location.locationList()->setCurrentIndex(1);  // Brasov
    location.OnOK();
    if (location.result() != QDialog::Accepted) return std::nullopt;
    return location.chosenLocationId();
  };
  dlg.button(1008)->click();
  ASSERT_TRUE(dlg.WaitForWorkers(10s));
  EXPECT_EQ(shown, (std::vector<QString>{"Arad", "Brasov", "Cluj"}));
  EXPECT_EQ(probe.calls, 1);
  EXPECT_EQ(probe.locationId, 3);
}

class LocationDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    db.SetEngineFactory(qiva::test::FakeEngineFactory(script));
    ASSERT_TRUE(db.Open("DRIVER={fake}"));
  }
  std::shared_ptr<FakeDatabaseScript> script = std::make_shared<FakeDatabaseScript>();
  CAdoDatabase db;
  CAdoRecordset rs;
};

TEST_F(LocationDialogTest, okWithoutASelectedLocationAsksForOneAndStaysOpen) {
  script->queries[kLocationListQuery] = qiva::test::LocationRows({{4, "Iasi"}, {9, "Iasi"}});
  DlgLocation dlg(db, rs);
  EXPECT_EQ(dlg.windowTitle(), "Selecteaza locatia");
  EXPECT_TRUE(dlg.locationList()->isEditable());
  EXPECT_EQ(dlg.locationList()->count(), 2);
  EXPECT_EQ(dlg.locationList()->currentIndex(), -1);
  std::vector<QString> messages;
  dlg.setMessageSink([&messages](const QString& text) { messages.push_back(text); });
  dlg.open();
  dlg.OnOK();
  dlg.locationList()->setEditText("Iasi");  // typed text selects no item
  dlg.OnOK();
  EXPECT_EQ(messages, (std::vector<QString>{"Selectati o locatie", "Selectati o locatie"}));
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.chosenLocationId(), 0);

  dlg.locationList()->setCurrentIndex(0);
  dlg.OnOK();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.chosenLocationId(), 9);
  const QList<QPushButton*> buttons = dlg.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 2);
  EXPECT_EQ(buttons[0]->text(), "OK");
  EXPECT_TRUE(buttons[0]->isDefault());
  EXPECT_EQ(buttons[1]->text(), "Cancel");
}

TEST_F(LocationDialogTest, failedQueryLeavesTheListEmptyAndCancelKeepsIdZero) {
  DlgLocation dlg(db, rs);
  EXPECT_EQ(dlg.locationList()->count(), 0);
  dlg.open();
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(dlg.chosenLocationId(), 0);
}

// The real general catalogues import behind the "Import nomenclatoare" button, into a new
// embedded database. Returns the messages shown; `status` receives the status line's text.
std::vector<std::string> ImportThroughTheButton(const std::string& file, const ScratchDir& dir,
                                                QString& status) {
  std::vector<std::string> messages;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    dlg.updateSettings().server.clear();
    dlg.prompts().chooseFile = [file](QWidget*) { return file; };
    dlg.prompts().message = [&messages](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    dlg.OnInitDialog();
    dlg.button(1003)->click();
    EXPECT_TRUE(dlg.WaitForWorkers(30s));
    QApplication::processEvents();
    status = dlg.statusLine()->text();
  }
  std::filesystem::current_path(saved);
  return messages;
}

// The sample loads whole; its recommended service without a tariff is skipped, and the user is
// told so once the import has ended.
TEST(MainDialogEndToEnd, nomenclaturesButtonImportsTheSampleIntoTheEmbeddedDatabase) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  QString status;
  const std::vector<std::string> messages =
      ImportThroughTheButton(QIVA_SOURCE_DIR "/samples/nomenclatoare_generale.xml", dir, status);
  EXPECT_EQ(status, "Procesat 46 inregistrari");
  // Only the counts that are not zero, the record with its reason, the log's full path.
  EXPECT_EQ(messages, std::vector<std::string>{
                          "Atentie: 1 inregistrari omise.\n- RecServices inregistrarea 3 "
                          "(code=R03) tariff is not a number: ''\nDetaliile sunt in " +
                          dir.file("_database.log")});

  EXPECT_EQ(EmbeddedValue(dir.file("clinic.db"), "select count(*) from QIVA_ICD10"), "3");
}

// A clean import shows nothing new; a file of another root is not read, and says why.
TEST(MainDialogEndToEnd, cleanImportShowsNoMessageAndAFileNotReadShowsWhy) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  qiva::test::WriteFileBytes(dir.file("clean.xml"),
                             "<Catalogues><PersonStates><PersonState code='1' description='A'/>"
                             "</PersonStates></Catalogues>");
  QString status;
  EXPECT_TRUE(ImportThroughTheButton(dir.file("clean.xml"), dir, status).empty());
  EXPECT_EQ(status, "Procesat 1 inregistrari");

  qiva::test::WriteFileBytes(dir.file("other.xml"), "<Provider/>");
  EXPECT_EQ(ImportThroughTheButton(dir.file("other.xml"), dir, status),
            std::vector<std::string>{"Fisierul nu a putut fi citit (radacina fisierului este "
                                     "'Provider', nu 'Catalogues').\nNu s-a importat nimic."});
  EXPECT_EQ(status, "Procesat 0 inregistrari");
}

// A new embedded database that keeps data per location, with the locations Cluj (1) and
// Brasov (2).
void MakeDatabaseWithLocations(const std::string& path) {
  CAdoDatabase db;
  db.SetDriver("sqlite");
  ASSERT_TRUE(db.Open("", "", "", path));
  ASSERT_TRUE(qiva::db::RunLocationsScript(*db.m_pConnection));
  ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Cluj')"));
  ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Brasov')"));
  ASSERT_TRUE(db.Close());
}

// The feedback button: the location dialog lists the database's locations, the chosen one goes
// on the rows, and a header that cannot be written shows its message, then the run's outcome.
TEST(MainDialogEndToEnd, feedbackButtonAsksForTheLocationAndImportsTheSample) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  MakeDatabaseWithLocations(dir.file("clinic.db"));
  qiva::test::WriteFileBytes(dir.file("bad.xml"),
                             "<request reportType='lunar'><hospitalizations/></request>");
  const std::filesystem::path saved = std::filesystem::current_path();
  std::vector<std::string> messages;
  std::vector<QString> statuses;
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    std::string file = QIVA_SOURCE_DIR "/samples/feedback_spitalizare_zi.xml";
    dlg.prompts().chooseFile = [&file](QWidget*) { return file; };
    dlg.prompts().message = [&messages](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    dlg.prompts().location = [](QWidget* owner, CAdoDatabase& db,
                                CAdoRecordset& rs) -> std::optional<std::int32_t> {
      DlgLocation location(db, rs, owner);
      location.locationList()->setCurrentIndex(location.locationList()->findText("Brasov"));
      location.OnOK();
      if (location.result() != QDialog::Accepted) return std::nullopt;
      return location.chosenLocationId();
    };
    dlg.OnInitDialog();
    dlg.button(1008)->click();
    EXPECT_TRUE(dlg.WaitForWorkers(30s));
    QApplication::processEvents();
    statuses.push_back(dlg.statusLine()->text());
    file = dir.file("bad.xml");
    dlg.button(1008)->click();
    EXPECT_TRUE(dlg.WaitForWorkers(30s));
  }
  std::filesystem::current_path(saved);
  EXPECT_EQ(statuses, std::vector<QString>{"Finalizat de procesat 15 inregistrari"});
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "EROARE LA ADAUGARE IN TABELA QIVA_FEEDBACK",
                          "Atentie: 1 inregistrari omise.\n- reportType is not a number: "
                          "'lunar'\nDetaliile sunt in " +
                              dir.file("_database.log")}));

  for (const char* table :
       {"QIVA_FEEDBACK", "QIVA_FEEDBACK_HOSPITAL_DAY", "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES"}) {
    EXPECT_EQ(
        EmbeddedValue(dir.file("clinic.db"), std::string("select count(*) from ") + table +
                                                 " where locationid is null or locationid <> 2"),
        "0")
        << table;
  }
  EXPECT_EQ(EmbeddedValue(dir.file("clinic.db"), "select count(*) from QIVA_FEEDBACK_HOSPITAL_DAY"),
            "4");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The national health programme and day-hospital tariffs buttons with their real imports.

namespace {

// Presses button `buttonId` of a dialog in `dir` with `file` chosen and `location` answering
// the location dialog. Returns the messages shown; `status` receives the status line's text.
std::vector<std::string> PressImportButton(
    int buttonId, const std::string& file, const ScratchDir& dir, QString& status,
    const decltype(CQIVA_IMPORTDlg::Prompts::location)& location = {}) {
  std::vector<std::string> messages;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    dlg.prompts().chooseFile = [file](QWidget*) { return file; };
    dlg.prompts().message = [&messages](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    if (location) dlg.prompts().location = location;
    dlg.OnInitDialog();
    dlg.button(buttonId)->click();
    EXPECT_TRUE(dlg.WaitForWorkers(30s));
    QApplication::processEvents();
    status = dlg.statusLine()->text();
  }
  std::filesystem::current_path(saved);
  return messages;
}

// The database keeps locations: the location dialog's choice decides which rows are replaced.
TEST(MainDialogEndToEnd, dayTariffsButtonImportsTheSampleForTheLocationChosen) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  {
    CAdoDatabase db;
    db.SetDriver("sqlite");
    ASSERT_TRUE(db.Open("", "", "", dir.file("clinic.db")));
    for (const std::string& batch :
         qiva::db::SplitScriptBatches(qiva::db::LocationsSchemaScript())) {
      ASSERT_TRUE(db.Execute(batch));
    }
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Sediu central')"));
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Punct de lucru')"));
  }
  std::vector<QString> shown;
  auto chooseSecond = [&shown](QWidget* owner, CAdoDatabase& db,
                               CAdoRecordset& rs) -> std::optional<std::int32_t> {
    DlgLocation location(db, rs, owner);
    for (int i = 0; i < location.locationList()->count(); ++i) {
      shown.push_back(location.locationList()->itemText(i));
    }
    location.locationList()->setCurrentIndex(0);  // "Punct de lucru", id 2
    location.OnOK();
    if (location.result() != QDialog::Accepted) return std::nullopt;
    return location.chosenLocationId();
  };
  QString status;
  EXPECT_TRUE(PressImportButton(1007, QIVA_SOURCE_DIR "/samples/tarife_spitalizare_zi.xml", dir,
                                status, chooseSecond)
                  .empty());
  EXPECT_EQ(shown, (std::vector<QString>{"Punct de lucru", "Sediu central"}));
  EXPECT_EQ(status, "Finalizat de procesat 11 inregistrari");
  EXPECT_EQ(EmbeddedValue(dir.file("clinic.db"),
                          "select count(*) from QIVA_DAILY_CASES_TARIFFS where locationid=2"),
            "6");
}

}  // namespace

namespace {

// The real referring physicians and personalisation imports behind their buttons, one after the
// other into one new embedded database (the physicians import closes the connection it ends
// with; the next run opens it again). A No at the invalid-record prompt stops the import.
TEST(MainDialogEndToEnd, physiciansAndPersonalizationButtonsImportTheSamples) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  qiva::test::WriteFileBytes(dir.file("invalid.xml"),
                             "<Catalogues><Physicians><P Name='ANA POP' stencil='A1'/>"
                             "<P Name='ION RUS' stencil='B2' validFrom='2015-01-01'/>"
                             "</Physicians></Catalogues>");
  std::string file;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<QString> statuses;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    dlg.prompts().chooseFile = [&file](QWidget*) { return file; };
    dlg.prompts().message = [&messages](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    dlg.prompts().yesNo = [&questions](QWidget*, const std::string& text) {
      questions.push_back(text);
      return false;
    };
    dlg.OnInitDialog();
    for (const auto& [button, path] : std::initializer_list<std::pair<int, std::string>>{
             {1000, QIVA_SOURCE_DIR "/samples/medici_trimitatori.xml"},
             {1002, QIVA_SOURCE_DIR "/samples/personalizare_furnizor.xml"},
             {1000, dir.file("invalid.xml")}}) {
      file = path;
      dlg.button(button)->click();
      EXPECT_TRUE(dlg.WaitForWorkers(30s));
      QApplication::processEvents();
      statuses.push_back(dlg.statusLine()->text());
    }
  }
  std::filesystem::current_path(saved);
  EXPECT_EQ(statuses,
            (std::vector<QString>{"Procesat 15 inregistrari", "Procesez inregistrarea 14 ...",
                                  "Procesez medicul 1 ..."}));
  // The No at the prompt ends the import at once, and the user is told what it left.
  EXPECT_EQ(messages, std::vector<std::string>{
                          "Importul a fost oprit la inregistrarea invalida.\nSectiunea "
                          "Physicians a ramas incompleta: tabela QIVA_PHYSICIANS are 0 randuri "
                          "din cele 2 ale fisierului.\nImportati din nou fisierul complet.\n"
                          "Detaliile sunt in " +
                          dir.file("_database.log")});
  EXPECT_EQ(questions, std::vector<std::string>{"Inregistrare invalida\nContinui ?"});

  for (const auto& [query, count] : std::initializer_list<std::pair<const char*, const char*>>{
           {"select count(*) from QIVA_PHYSICIANS", "0"},  // emptied, then stopped
           {"select count(*) from QIVA_PHYSICIAN_SPECIALITIES", "7"},
           {"select count(*) from QIVA_PHYSICIANS_ACTIVATIONS", "1"},
           {"select count(*) from QIVA_P_SERVICES", "4"}}) {
    EXPECT_EQ(EmbeddedValue(dir.file("clinic.db"), query), count) << query;
  }
}

// The real pharmaceutical import behind its button, into a new embedded database: the sample
// loads whole, no message box follows a clean run, and the status line keeps the last progress
// message.
TEST(MainDialogEndToEnd, pharmaButtonImportsTheSampleIntoTheEmbeddedDatabase) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  std::vector<std::string> messages;
  QString status;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    dlg.prompts().chooseFile = [](QWidget*) {
      return std::string(QIVA_SOURCE_DIR "/samples/nomenclator_farmaceutic.xml");
    };
    dlg.prompts().message = [&messages](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    dlg.OnInitDialog();
    dlg.button(1005)->click();
    EXPECT_TRUE(dlg.WaitForWorkers(30s));
    QApplication::processEvents();
    status = dlg.statusLine()->text();
  }
  std::filesystem::current_path(saved);
  EXPECT_EQ(status, "Procesez inregistrarea 38 ...");
  EXPECT_TRUE(messages.empty());

  EXPECT_EQ(EmbeddedValue(dir.file("clinic.db"), "select count(*) from QIVA_DRUGS"), "3");
}

}  // namespace

namespace {

// A file given on the command line is imported at once as an error file with the real routine:
// its file row and errors reach the embedded database, and the error button imports the next.
TEST(MainDialogEndToEnd, commandLineErrorFileAndErrorButtonsImportIntoTheEmbeddedDatabase) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  const std::string samples = QIVA_SOURCE_DIR "/samples/";
  std::vector<std::string> messages;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix),
                        samples + "SPT_DRG_4412345_202103_20210412_153540.xml");
    dlg.prompts().message = [&messages](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    dlg.OnInitDialog();
    ASSERT_TRUE(dlg.WaitForWorkers(30s));
    QApplication::processEvents();
    EXPECT_EQ(dlg.statusLine()->text(), "Procesez inregistrarea 6 ...");

    dlg.prompts().chooseFile = [&samples](QWidget*) {
      return samples + "SPT_FARM_4412345_202103_20210412_160112.xml";
    };
    dlg.button(1006)->click();
    ASSERT_TRUE(dlg.WaitForWorkers(30s));
    QApplication::processEvents();
    EXPECT_EQ(dlg.statusLine()->text(), "Procesez inregistrarea 5 ...");
  }
  std::filesystem::current_path(saved);
  EXPECT_TRUE(messages.empty()) << messages.front();

  EXPECT_EQ(EmbeddedRows(dir.file("clinic.db"),
                         "select ExportType, (select count(*) from E_QIVA_ERROR_FILES_DETAILED) "
                         "from E_QIVA_ERROR_FILES"),
            (Rows{{"SPT_DRG", "6"}}));
  EXPECT_EQ(
      EmbeddedValue(dir.file("clinic.db"), "select count(*) from QIVA_STOCKS_ERRORS_RETURNED"),
      "5");
}

// Closing the dialog during an import asks first: No lets it go on; Yes lets the section in
// progress end whole, tells what was written, and only then closes the dialog.
TEST(MainDialogEndToEnd, closeDuringAnImportAsksAndYesStopsAfterTheSectionInProgress) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  constexpr int kCount = 60000;
  std::string xml = "<Catalogues><ICD10s>";
  for (int i = 0; i < kCount; ++i) {
    xml += "<ICD10 code='C" + std::to_string(i) +
           "' name='b' diseaseCategory='1' validFrom='2000-01-01'/>";
  }
  qiva::test::WriteFileBytes(dir.file("big.xml"),
                             xml +
                                 "</ICD10s><PersonStates><PersonState code='1'/>"
                                 "</PersonStates></Catalogues>");
  ResetImportStopRequests();
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  bool answer = false;
  bool visibleAfterNo = false;
  bool visibleAtTheEnd = true;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    dlg.updateSettings().server.clear();
    dlg.prompts().chooseFile = [&dir](QWidget*) { return dir.file("big.xml"); };
    dlg.prompts().message = [&messages](QWidget*, const std::string& text) {
      messages.push_back(text);
    };
    dlg.prompts().yesNo = [&](QWidget*, const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    dlg.OnInitDialog();
    dlg.open();
    dlg.button(1003)->click();
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!dlg.statusLine()->text().startsWith("Procesez") &&
           std::chrono::steady_clock::now() < deadline) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    dlg.reject();  // the close box, Escape and "Iesire" all come here
    visibleAfterNo = dlg.isVisible();
    answer = true;
    dlg.reject();
    EXPECT_TRUE(dlg.WaitForWorkers(60s));
    QApplication::processEvents();
    visibleAtTheEnd = dlg.isVisible();
  }
  std::filesystem::current_path(saved);
  ResetImportStopRequests();
  EXPECT_TRUE(visibleAfterNo);
  EXPECT_FALSE(visibleAtTheEnd);
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0], "Un import este in curs.\nOpresc importul dupa sectiunea in lucru?");
  EXPECT_EQ(messages, std::vector<std::string>{
                          "Importul a fost oprit la cerere.\nSectiuni scrise complet: ICD10s.\n"
                          "Nicio sectiune nu a ramas incompleta.\nDetaliile sunt in " +
                          dir.file("_database.log")});
  EXPECT_EQ(EmbeddedValue(dir.file("clinic.db"), "select count(*) from QIVA_ICD10"),
            std::to_string(kCount));
  EXPECT_EQ(EmbeddedValue(dir.file("clinic.db"), "select count(*) from QIVA_PERSON_STATES"), "0");
  EXPECT_NE(qiva::test::ReadFileBytes(dir.file("_database.log"))
                .find("Import stopped: a stop was requested; sections written whole: ICD10s"),
            std::string::npos);
}

#ifndef _WIN32
// ---- the dialog and qiva-import into one database ----

// The person states codes of the embedded database at `path`, in order.
std::vector<std::string> PersonStateCodes(const std::string& path) {
  std::vector<std::string> codes;
  for (const auto& row : EmbeddedRows(path, "select code from QIVA_PERSON_STATES order by code"))
    codes.push_back(row.at(0));
  return codes;
}

// A dialog import that empties the person states, writes one row of its own and holds there.
std::atomic<bool> holdingEntered{false};
std::shared_future<void> holdingRelease;
int HoldingRoutine(ImportContext& context, const std::string&) {
  context.database.Execute("delete from QIVA_PERSON_STATES");
  context.database.Execute(
      "insert into QIVA_PERSON_STATES (code, description) values ('dialog', 'x')");
  context.database.Flush();
  holdingEntered = true;
  holdingRelease.wait();
  context.SetStatusText("Procesat 1 inregistrari");
  return 1;
}

// Runs qiva-import from `dir` with `args`; the exit status, standard error in `dir`/cli.err.
int RunQivaImport(const ScratchDir& dir, const std::string& args) {
  const std::string command = "cd '" + dir.path().string() + "' && '" QIVA_IMPORT_EXE "' " + args +
                              " > cli.out 2> cli.err < /dev/null";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// The dialog imports into clinic.db while qiva-import is started on the same file through a
// link: qiva-import waits, saying so, and writes nothing until the dialog's run has ended.
TEST(MainDialogEndToEnd, aDialogImportAndACommandLineImportThroughALinkNeverOverlap) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  std::filesystem::create_symlink(dir.file("clinic.db"), dir.file("link.db"));
  qiva::test::WriteFileBytes(dir.file("cli.ini"),
                             "driver=sqlite\r\ndatabase=" + dir.file("link.db") + "\r\n");
  qiva::test::WriteFileBytes(dir.file("states.xml"),
                             "<Catalogues><PersonStates><PersonState code='1' description='A'/>"
                             "<PersonState code='2' description='B'/></PersonStates></Catalogues>");
  std::promise<void> release;
  holdingRelease = release.get_future().share();
  holdingEntered = false;
  const std::filesystem::path saved = std::filesystem::current_path();
  std::vector<std::string> whileHeld;
  std::string cliError;
  int cliStatus = -1;
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    dlg.updateSettings().server.clear();
    dlg.session().SetRoutine(ImportKind::Nomenclatures, &HoldingRoutine);
    dlg.prompts().chooseFile = [&dir](QWidget*) { return dir.file("states.xml"); };
    dlg.OnInitDialog();
    dlg.button(1003)->click();
    const auto until = [](const std::function<bool()>& condition) {
      const auto deadline = std::chrono::steady_clock::now() + 30s;
      while (!condition() && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    until([] { return holdingEntered.load(); });
    std::thread cli(
        [&] { cliStatus = RunQivaImport(dir, "nomenclatures states.xml --config cli.ini"); });
    until([&] {
      return qiva::test::ReadFileBytes(dir.file("cli.err")).find("waiting for it to end") !=
             std::string::npos;
    });
    cliError = qiva::test::ReadFileBytes(dir.file("cli.err"));
    whileHeld = PersonStateCodes(dir.file("clinic.db"));
    release.set_value();
    EXPECT_TRUE(dlg.WaitForWorkers(30s));
    cli.join();
  }
  std::filesystem::current_path(saved);
  EXPECT_EQ(cliError, "another import into this database is running (lock " +
                          std::filesystem::canonical(dir.path()).string() +
                          "/clinic.db.lock); waiting for it to end...\n");
  EXPECT_EQ(whileHeld, std::vector<std::string>{"dialog"});
  EXPECT_EQ(cliStatus, 0) << qiva::test::ReadFileBytes(dir.file("cli.err"));
  EXPECT_EQ(PersonStateCodes(dir.file("clinic.db")), (std::vector<std::string>{"1", "2"}));
}

// While another import holds the database, the dialog's status line says that its run waits;
// the routine starts once the other lets go.
TEST(MainDialogEndToEnd, aDialogImportWaitsInItsStatusLineForAnotherImportOfTheDatabase) {
  App();
  ScratchDir dir;
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=clinic.db\r\n");
  FileLock other;  // what qiva-import holds while it imports into clinic.db
  ASSERT_TRUE(other.TryLock(std::filesystem::canonical(dir.path()).string() + "/clinic.db.lock"));
  probe.calls = 0;
  probe.release = {};
  const std::filesystem::path saved = std::filesystem::current_path();
  QString waiting;
  int callsWhileHeld = -1;
  {
    CQIVA_IMPORTDlg dlg(ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix), "");
    dlg.updateSettings().server.clear();
    dlg.session().SetRoutine(ImportKind::Nomenclatures, &RoutineFor<ImportKind::Nomenclatures>);
    dlg.prompts().chooseFile = [](QWidget*) { return std::string("in.xml"); };
    dlg.OnInitDialog();
    dlg.button(1003)->click();
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!dlg.statusLine()->text().startsWith("Astept") &&
           std::chrono::steady_clock::now() < deadline)
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    waiting = dlg.statusLine()->text();
    callsWhileHeld = probe.calls;
    other.Unlock();
    EXPECT_TRUE(dlg.WaitForWorkers(30s));
    QApplication::processEvents();
  }
  std::filesystem::current_path(saved);
  EXPECT_EQ(waiting, "Astept terminarea altui import in aceeasi baza de date...");
  EXPECT_EQ(callsWhileHeld, 0);
  EXPECT_EQ(probe.calls, 1);
}
#endif

// Qt's own buttons and the file dialog's labels read in Romanian, without diacritics.
TEST(QtTexts, messageBoxButtonsAndFileDialogLabelsAreInRomanian) {
  App();
  InstallRomanianQtTexts();
  QMessageBox box(QMessageBox::NoIcon, "t", "x", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Da");
  EXPECT_EQ(box.button(QMessageBox::No)->text(), "&Nu");
  QFileDialog chooser;
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  QStringList labels;
  for (const QLabel* label : chooser.findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains("Cauta in:")) << labels.join("|").toStdString();
  EXPECT_TRUE(labels.contains("Tip fisiere:")) << labels.join("|").toStdString();
  EXPECT_EQ(chooser.labelText(QFileDialog::Accept), "&Deschide");
  EXPECT_EQ(chooser.labelText(QFileDialog::Reject), "Renunta");
}

}  // namespace
