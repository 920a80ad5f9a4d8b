// Every file the window writes, when the file system refuses: the settings file, the report,
// the help file and the start-up file. In each case the previous file stays whole, the user
// is told which file and why, and the window goes on. Failures that root would not meet for
// real (tests may run as root) are made on purpose through ScopedFileFault. Every writer goes
// through WriteFileAtomically, whose answer to each failing step (create, write, flush,
// close, rename), its temporary file removed, atomic_file_test.cpp checks; here one made
// fault and two real ones per writer.
#include <QPlainTextEdit>
#include <cerrno>

#include "store/file_faults.h"
#include "window/help_window.h"
#include "window_fixture.h"

using namespace tarnwick;

namespace {

// Where the write goes: the usual file, a folder of that name, or a name longer than the
// 255 bytes a Linux file name may have.
enum Target { kFile, kFolder, kLongName };

}  // namespace

class WriteFailureTest : public WindowTest {
  Q_OBJECT

  // Does `write` under the row's failure: with the usual target a disk that is full after 10
  // bytes; the other targets fail for real.
  static void Failing(int target, const std::function<void()>& write) {
    std::optional<ScopedFileFault> full;
    if (target == kFile) full.emplace(FileFault{FileCall::Write, ENOSPC, 1, 10});
    write();
  }
  // The path to write to for a row: `usual`, or a folder made there, or a too-long name.
  QString TargetPath(int target, const QString& usual) {
    if (target == kFolder) QDir().mkpath(usual);
    if (target == kLongName) return world_->file(QString(300, 'n') + ".txt");
    return usual;
  }

  // One table of failures for all four writers.
  void faults() {
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full mid-write") << int(kFile) << "No space left on device";
    QTest::newRow("the target is a folder") << int(kFolder) << "Is a directory";
    QTest::newRow("a name the file system refuses") << int(kLongName) << "File name too long";
  }

 private slots:
  void settings_file_data() { faults(); }
  void settings_file() {
    QFETCH(int, target);
    QFETCH(QString, reason);
    const QString usual = world_->file("prepared.opt");
    if (target == kFile) Write(usual, "old settings");
    const QString path = TargetPath(target, usual);
    Open();
    world_->chooser->answers = {path};
    Failing(target, [&] { Find<QAction>("mnuFileSave")->trigger(); });
    ExpectMessage(window_.get(), {path.left(100), reason});
    QVERIFY(Status().contains(reason));
    if (target == kFile) QCOMPARE(Read(usual), QString("old settings"));
    // The window goes on: the next save, to a good place, works.
    world_->chooser->answers = {world_->file("other.opt")};
    Find<QAction>("mnuFileSave")->trigger();
    QCOMPARE(Read(world_->file("other.opt")), QString::fromStdString(SettingsFileText(window_->ControlsToSettings())));
  }

  void report_file_data() { faults(); }
  void report_file() {
    QFETCH(int, target);
    QFETCH(QString, reason);
    RunSettings s = OneDay();
    if (target == kLongName) s.txtAspectOrb1 = std::string(250, '3');  // the orb is in the file name
    const QString data = world_->file("data");
    const QString usual = data + "/12012007_12012007_5_3.0_15.0_gg_mp_15_noRA.txt";
    QDir().mkpath(data);
    if (target == kFile) Write(usual, "old report");
    if (target == kFolder) TargetPath(target, usual);
    Open();
    Load(s);
    Failing(target, [&] { Run("cmdAspectarian"); });
    ExpectMessage(window_.get(), {target == kLongName ? data + "/12012007_12012007_5_333" : usual, reason});
    QVERIFY(Find<QPlainTextEdit>("txtResults")->toPlainText().contains("g. Moon     g. Jupiter"));
    if (target == kFile) QCOMPARE(Read(usual), QString("old report"));
    QVERIFY(Find<QPushButton>("cmdAspectarian")->isEnabled());
  }

  void help_file_data() { faults(); }
  void help_file() {
    QFETCH(int, target);
    QFETCH(QString, reason);
    const QString usual = world_->file("help.txt");
    Write(usual, "old help\r\n");
    const QString path = TargetPath(target, target == kFolder ? world_->file("notes.txt") : usual);
    Open();
    Find<QAction>("mnuHelp")->trigger();
    HelpWindow* help = window_->helpWindow();
    QPlainTextEdit* pane = Find<QPlainTextEdit>("RichText1", help);
    pane->appendPlainText("an edit");
    world_->chooser->answers = {path};
    Failing(target, [&] { Click("cmdSaveAsFile", help); });
    ExpectMessage(help, {path.left(100), reason});
    QCOMPARE(help->windowTitle(), "Quillmere Help File - " + usual);  // still the file shown
    QCOMPARE(Read(usual), QString("old help\r\n"));
    // The edit is still marked unsaved, and a later save keeps it.
    QVERIFY(help->hasUnsavedEdits());
    world_->chooser->answers = {usual};
    Click("cmdSaveAsFile", help);
    QCOMPARE(Read(usual), QString("old help\r\nan edit\r\n"));
  }

  void startup_file_data() { faults(); }
  void startup_file() {
    QFETCH(int, target);
    QFETCH(QString, reason);
    const QString usual = world_->file("Quillmere.ini");
    if (target == kFile) Write(usual, "time_zone=-3\r\n");
    const QString path = TargetPath(target, usual);
    WindowWorld world = world_->world();
    world.files.startup_file = path.toStdString();
    Open(world);
    Failing(target, [&] { QVERIFY(window_->close()); });  // the program still ends...
    // ...and tells why the span and time zone will not be remembered.
    const QString problem = window_->shutdownProblem();
    QVERIFY2(problem.contains(path.left(100)) && problem.contains(reason), qPrintable(problem));
    if (target == kFile) QCOMPARE(Read(usual), QString("time_zone=-3\r\n"));
  }

  // Not a failure: a start-up file the user made read-only is left as it is, with a line for
  // standard error rather than a message box.
  void startup_file_read_only() {
    const QString path = world_->file("Quillmere.ini");
    Write(path, "time_zone=-3\r\n");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    WindowWorld world = world_->world();
    world.files.startup_file = path.toStdString();
    Open(world);
    Type("txtTZ", "2");
    QVERIFY(window_->close());
    QVERIFY2(window_->shutdownProblem().isEmpty(), qPrintable(window_->shutdownProblem()));
    QVERIFY2(window_->shutdownNotice().contains(path) && window_->shutdownNotice().contains("read-only"),
             qPrintable(window_->shutdownNotice()));
    QCOMPARE(Read(path), QString("time_zone=-3\r\n"));
  }
};

TARNWICK_WINDOW_TEST(WriteFailureTest);
#include "write_failure_test.moc"
