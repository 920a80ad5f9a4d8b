// Every file the window writes, when the file system refuses: the settings file, the report,
// the help file and the start-up file. In each case the previous file stays whole, no
// temporary file is left, the user is told which file and why, and the window goes on.
// Failures that root would not meet for real (tests may run as root) are made on purpose
// through ScopedFileFault.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <cerrno>
#include <optional>

#include "store/atomic_file.h"
#include "store/file_faults.h"
#include "store/settings_file.h"
#include "window/help_window.h"
#include "window_fixture.h"

using namespace tarnwick;

namespace {

constexpr int kRunTimeoutMs = 60000;
constexpr int kNoFault = -1;

// Where the write goes: the usual file, a folder of that name, or a name longer than the
// 255 bytes a Linux file name may have.
enum Target { kFile, kFolder, kLongName };

std::optional<ScopedFileFault> FaultOf(int call, int error, int after) {
  if (call == kNoFault) return std::nullopt;
  return std::make_optional<ScopedFileFault>(
      FileFault{static_cast<FileCall>(call), error, 1, static_cast<std::size_t>(after)});
}

QString Read(const QString& path) {
  return QString::fromStdString(ReadWholeFile(path.toStdString()).bytes);
}

QStringList Temporaries(const QString& folder) {
  return QDir(folder).entryList({".tarnwick-*"}, QDir::Files | QDir::Hidden);
}

}  // namespace

class WriteFailureTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestWorld> world_;
  std::unique_ptr<MainWindow> window_;

  template <typename T>
  T* Find(QObject* in, const char* name) {
    T* found = in->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
  }
  void Open() {
    window_ = std::make_unique<MainWindow>(world_->world());
    window_->show();
  }
  // The path to write to for a row: `usual`, or a folder made there, or a too-long name.
  QString TargetPath(int target, const QString& usual) {
    if (target == kFolder) QDir().mkpath(usual);
    if (target == kLongName) return world_->file(QString(300, 'n') + ".txt");
    return usual;
  }
  // The warning shown over `parent`: it names the file and the reason. Closes it.
  void ExpectWarning(QWidget* parent, const QString& path, const QString& reason) {
    QMessageBox* box = OpenMessageBox(parent);
    QVERIFY(box);
    QVERIFY2(box->text().contains(path.left(100)) && box->text().contains(reason), qPrintable(box->text()));
    box->accept();
  }

  // One table of failures for all four writers.
  void faults() {
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("after");  // bytes written before a Write fault strikes
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* name, int call, int error, int after, int target, const char* reason) {
      QTest::newRow(name) << call << error << after << target << QString(reason);
    };
    row("folder without write permission", int(FileCall::Create), EACCES, 0, kFile, "Permission denied");
    row("disk full mid-write", int(FileCall::Write), ENOSPC, 10, kFile, "No space left on device");
    row("flush to the disk fails", int(FileCall::Sync), EIO, 0, kFile, "Input/output error");
    row("rename over the old file fails", int(FileCall::Rename), EIO, 0, kFile, "Input/output error");
    row("the target is a folder", kNoFault, 0, 0, kFolder, "Is a directory");
    row("a name the file system refuses", kNoFault, 0, 0, kLongName, "File name too long");
  }

 private slots:
  void init() { world_ = std::make_unique<TestWorld>(); }
  void cleanup() {
    window_.reset();
    world_.reset();
  }

  void settings_file_data() { faults(); }
  void settings_file() {
    QFETCH(int, call);
    QFETCH(int, error);
    QFETCH(int, after);
    QFETCH(int, target);
    QFETCH(QString, reason);
    const QString usual = world_->file("prepared.opt");
    if (target == kFile) QVERIFY(WriteFileAtomically(usual.toStdString(), "old settings"));
    const QString path = TargetPath(target, usual);
    Open();
    world_->chooser->answers = {path};
    {
      const auto fault = FaultOf(call, error, after);
      Find<QAction>(window_.get(), "mnuFileSave")->trigger();
    }
    ExpectWarning(window_.get(), path, reason);
    QVERIFY(Find<QLabel>(window_.get(), "lblStatus")->text().contains(reason));
    if (target == kFile) QCOMPARE(Read(usual), QString("old settings"));
    QCOMPARE(Temporaries(world_->folder.path()), QStringList());
    // The window goes on: the next save, to a good place, works.
    world_->chooser->answers = {world_->file("other.opt")};
    Find<QAction>(window_.get(), "mnuFileSave")->trigger();
    QCOMPARE(Read(world_->file("other.opt")), QString::fromStdString(SettingsFileText(window_->ControlsToSettings())));
  }

  void report_file_data() { faults(); }
  void report_file() {
    QFETCH(int, call);
    QFETCH(int, error);
    QFETCH(int, after);
    QFETCH(int, target);
    QFETCH(QString, reason);
    RunSettings s;  // one day of the Moon against the Sun and Jupiter: one aspect
    s.txtStartDate = s.txtEndDate = "12/01/2007";
    s.chkUseP3 = false;
    s.chkP1Planets = s.chkP2Planets = BodySelection{};
    s.chkP1Planets[idxMoon] = s.chkP2Planets[idxSun] = s.chkP2Planets[5] = true;
    if (target == kLongName) s.txtAspectOrb1 = std::string(250, '3');
    const QString data = world_->file("data");
    const QString usual = data + "/12012007_12012007_5_3.0_15.0_gg_mp_15_noRA.txt";
    QDir().mkpath(data);
    if (target == kFile) QVERIFY(WriteFileAtomically(usual.toStdString(), "old report"));
    if (target == kFolder) TargetPath(target, usual);
    QVERIFY(WriteFileAtomically(world_->file("run.opt").toStdString(), SettingsFileText(s)));
    Open();
    world_->chooser->answers = {world_->file("run.opt")};
    Find<QAction>(window_.get(), "mnuFileLoad")->trigger();
    {
      const auto fault = FaultOf(call, error, after);
      QTest::mouseClick(Find<QPushButton>(window_.get(), "cmdAspectarian"), Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);
    }
    ExpectWarning(window_.get(), target == kLongName ? data + "/12012007_12012007_5_333" : usual, reason);
    QVERIFY(Find<QPlainTextEdit>(window_.get(), "txtResults")->toPlainText().contains("g. Moon     g. Jupiter"));
    if (target == kFile) QCOMPARE(Read(usual), QString("old report"));
    QCOMPARE(Temporaries(data), QStringList());
    QVERIFY(Find<QPushButton>(window_.get(), "cmdAspectarian")->isEnabled());
  }

  void help_file_data() { faults(); }
  void help_file() {
    QFETCH(int, call);
    QFETCH(int, error);
    QFETCH(int, after);
    QFETCH(int, target);
    QFETCH(QString, reason);
    const QString usual = world_->file("help.txt");
    QVERIFY(WriteFileAtomically(usual.toStdString(), "old help\r\n"));
    const QString path = TargetPath(target, target == kFolder ? world_->file("notes.txt") : usual);
    Open();
    Find<QAction>(window_.get(), "mnuHelp")->trigger();
    HelpWindow* help = window_->helpWindow();
    QPlainTextEdit* pane = Find<QPlainTextEdit>(help, "RichText1");
    pane->appendPlainText("an edit");
    world_->chooser->answers = {path};
    {
      const auto fault = FaultOf(call, error, after);
      QTest::mouseClick(Find<QPushButton>(help, "cmdSaveAsFile"), Qt::LeftButton);
    }
    ExpectWarning(help, path, reason);
    QCOMPARE(Read(usual), QString("old help\r\n"));
    QCOMPARE(Temporaries(world_->folder.path()), QStringList());
    // The edit is still there, still marked unsaved, and a later save keeps it.
    QVERIFY(help->hasUnsavedEdits());
    QCOMPARE(pane->toPlainText(), QString("old help\nan edit"));
    world_->chooser->answers = {usual};
    QTest::mouseClick(Find<QPushButton>(help, "cmdSaveAsFile"), Qt::LeftButton);
    QCOMPARE(Read(usual), QString("old help\r\nan edit\r\n"));
  }

  void startup_file_data() { faults(); }
  void startup_file() {
    QFETCH(int, call);
    QFETCH(int, error);
    QFETCH(int, after);
    QFETCH(int, target);
    QFETCH(QString, reason);
    const QString usual = world_->file("Quillmere.ini");
    const std::string old = "time_zone=-3\r\n";
    if (target == kFile) QVERIFY(WriteFileAtomically(usual.toStdString(), old));
    const QString path = TargetPath(target, usual);
    WindowWorld world = world_->world();
    world.files.startup_file = path.toStdString();
    window_ = std::make_unique<MainWindow>(world);
    window_->show();
    {
      const auto fault = FaultOf(call, error, after);
      QVERIFY(window_->close());  // the program still ends...
    }
    // ...and tells why the span and time zone will not be remembered.
    QVERIFY2(window_->shutdownProblem().contains(path.left(100)) && window_->shutdownProblem().contains(reason),
             qPrintable(window_->shutdownProblem()));
    if (target == kFile) QCOMPARE(Read(usual), QString::fromStdString(old));
    QCOMPARE(Temporaries(world_->folder.path()), QStringList());
  }
};

QTEST_MAIN(WriteFailureTest)
#include "write_failure_test.moc"
