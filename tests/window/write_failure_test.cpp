// The report and the help file, when the file system refuses: the previous file stays whole,
// the user is told which file and why, and the window goes on with the user's work. How every
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
FileFault DiskFull() { return FileFault{FileCall::Write, ENOSPC, 1, 10}; }

}  // namespace

class WriteFailureTest : public WindowTest {
  Q_OBJECT

 private slots:
  void report_and_help_files() {
    QDir().mkpath(world_->file("data"));
    const QString report_path = world_->file("data/12012007_12012007_5_3.0_15.0_gg_mp_15_noRA.txt");
    Write(report_path, "old report");
    Open();
    Load(OneDay());
    {
      const ScopedFileFault full(DiskFull());
      Run("cmdAspectarian");
    }
    ExpectMessage(window_.get(), {report_path, kReason});
    QVERIFY(PaneText().contains("g. Moon     g. Jupiter"));
    QCOMPARE(Read(report_path), QString("old report"));
    QVERIFY(Find<QPushButton>("cmdAspectarian")->isEnabled());

    // The help file.
    const QString help_path = world_->file("help.txt");
    Write(help_path, "old help\r\n");
    Find<QAction>("mnuHelp")->trigger();
    HelpWindow* help = window_->helpWindow();
    QPlainTextEdit* pane = Find<QPlainTextEdit>("RichText1", help);
    pane->appendPlainText("an edit");
    world_->chooser->answers = {help_path};
    {
      const ScopedFileFault full(DiskFull());
      Click("cmdSaveAsFile", help);
    }
    ExpectMessage(help, {help_path, kReason});
    QCOMPARE(help->windowTitle(), "Quillmere Help File - " + help_path);
    QCOMPARE(Read(help_path), QString("old help\r\n"));
    // The edit is still marked unsaved, and a later save keeps it.
    QVERIFY(help->hasUnsavedEdits());
    world_->chooser->answers = {help_path};
    Click("cmdSaveAsFile", help);
    QCOMPARE(Read(help_path), QString("old help\r\nan edit\r\n"));
  }
};

TARNWICK_WINDOW_TEST(WriteFailureTest);
#include "write_failure_test.moc"
