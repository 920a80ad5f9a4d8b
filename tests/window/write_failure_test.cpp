// The report, the help file and the start-up file, when the file system refuses: the previous
// file stays whole, the user is told which file and why, and the window goes on with the
// user's work (or, for the start-up file at exit, still ends). How every
// writer meets each failing step (create, write, flush, close, rename), its temporary file
// removed, atomic_file_test.cpp checks; here the disk is full after 10 bytes (made through
// ScopedFileFault, as tests may run as root), which the window must pass on.
#include <QPlainTextEdit>
#include <cerrno>

#include "store/file_faults.h"
#include "window/help_window.h"
#include "window_fixture.h"

using namespace tarnwick;

namespace {

const QString kReason = "No space left on device";
// Runs `step` while the disk is full after 10 bytes.
void WhileDiskFull(const std::function<void()>& step) {
  const ScopedFileFault full(FileFault{FileCall::Write, ENOSPC, 1, 10});
  step();
}

}  // namespace

class WriteFailureTest : public WindowTest {
  Q_OBJECT

 private slots:
  void report_and_help_files() {
    QDir().mkpath(world_->file("data"));
    const QString report_path = world_->file("data/12012007_12012007_5_3.0_15.0_gg_mp_15_noRA.txt");
    Write(report_path, "old report");
    OpenOnOneDay();
    WhileDiskFull([&] { Run("cmdAspectarian"); });
    ExpectMessage(window_.get(), {report_path, kReason});
    QVERIFY(PaneText().contains("g. Moon     g. Jupiter"));
    QCOMPARE(Read(report_path), QString("old report"));
    QVERIFY(Find<QPushButton>("cmdAspectarian")->isEnabled());

    // The help file.
    const QString help_path = world_->file("help.txt");
    Write(help_path, "old help\r\n");
    Find<QAction>("mnuHelp")->trigger();
    HelpWindow* help = window_->helpWindow();
    Find<QPlainTextEdit>("RichText1", help)->appendPlainText("an edit");
    WhileDiskFull([&] { Choose(help_path, "cmdSaveAsFile", help); });
    ExpectMessage(help, {help_path, kReason});
    QCOMPARE(help->windowTitle(), "Quillmere Help File - " + help_path);
    QCOMPARE(Read(help_path), QString("old help\r\n"));
    // The edit is still marked unsaved, and a later save keeps it.
    QVERIFY(help->hasUnsavedEdits());
    Choose(help_path, "cmdSaveAsFile", help);
    QCOMPARE(Read(help_path), QString("old help\r\nan edit\r\n"));
  }

  void startup_file_and_a_read_only_one() {
    const QString path = world_->file("Quillmere.ini");
    Write(path, "time_zone=-3\r\n");
    WindowWorld world = world_->world();
    world.files.startup_file = path.toStdString();
    Open(world);
    bool closed = false;
    WhileDiskFull([&] { closed = window_->close(); });
    QVERIFY(closed);  // the program still ends...
    // ...and tells why the span and time zone will not be remembered.
    const QString problem = window_->shutdownProblem();
    QVERIFY2(problem.contains(path) && problem.contains(kReason), qPrintable(problem));
    QCOMPARE(Read(path), QString("time_zone=-3\r\n"));

    // Not a failure: a start-up file the user made read-only is left as it is, with a line for
    // standard error rather than a message box.
    Write(path, "time_zone=-3\r\n");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
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
