// The help window: opened fresh by each "&Help", its caption naming the file shown, loads and
// saves through the dialog, and unsaved edits never dropped without asking.
#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "store/atomic_file.h"
#include "window/help_window.h"
#include "window_fixture.h"

using namespace tarnwick;

class HelpWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestWorld> world_;
  std::unique_ptr<MainWindow> window_;

  void Write(const QString& path, const std::string& bytes) {
    QVERIFY(WriteFileAtomically(path.toStdString(), bytes));
  }
  std::string Read(const QString& path) { return ReadWholeFile(path.toStdString()).bytes; }
  HelpWindow* Help() { return window_->helpWindow(); }
  QPlainTextEdit* Pane() { return Help()->findChild<QPlainTextEdit*>("RichText1"); }
  void ChooseHelp() { window_->findChild<QAction*>("mnuHelp")->trigger(); }
  void Click(const char* button) {
    QTest::mouseClick(Help()->findChild<QPushButton*>(button), Qt::LeftButton);
  }
  void TypeIntoPane(const QString& text) {
    QTest::mouseClick(Pane()->viewport(), Qt::LeftButton);
    QTest::keyClick(Pane(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(Pane(), text);
  }
  int VisibleHelpWindows() {
    int n = 0;
    for (HelpWindow* h : window_->findChildren<HelpWindow*>()) n += h->isVisible();
    return n;
  }

 private slots:
  void init() {
    world_ = std::make_unique<TestWorld>();
    Write(world_->file("help.txt"), "How to read a report\r\nLine two\r\n");
    window_ = std::make_unique<MainWindow>(world_->world());
    window_->show();
  }
  void cleanup() {
    window_.reset();
    world_.reset();
  }

  // "&Help" shows the default file; "&Help" again asks about the old window's edits:
  // cancelling keeps it, discarding opens one fresh window on the saved file.
  void help_twice_leaves_one_fresh_window() {
    ChooseHelp();
    QPointer<HelpWindow> first = Help();
    QCOMPARE(Help()->windowTitle(), "Quillmere Help File - " + world_->file("help.txt"));
    QCOMPARE(Pane()->toPlainText(), QString("How to read a report\nLine two"));
    TypeIntoPane("my note");
    QVERIFY(first->hasUnsavedEdits());

    QString question;
    AnswerNextMessageBox(QMessageBox::Cancel, &question);
    ChooseHelp();
    QVERIFY(question.contains("not saved"));
    QCOMPARE(Help(), first.data());
    QVERIFY(Pane()->toPlainText().endsWith("my note"));

    AnswerNextMessageBox(QMessageBox::Discard);
    ChooseHelp();
    QVERIFY(first.isNull());
    QCOMPARE(Pane()->toPlainText(), QString("How to read a report\nLine two"));
    QTRY_COMPARE(VisibleHelpWindows(), 1);
    ChooseHelp();  // nothing edited: no question, still one window
    QTRY_COMPARE(VisibleHelpWindows(), 1);
  }

  void load_and_save_name_the_file_shown() {
    const QString other = world_->file("moon phases.txt");
    const QString saved = world_->file("saved.txt");
    Write(other, "Other text\n");
    ChooseHelp();

    world_->chooser->answers = {std::nullopt};  // a cancelled dialog changes nothing
    Click("cmdLoadFile");
    QCOMPARE(Help()->windowTitle(), "Quillmere Help File - " + world_->file("help.txt"));

    world_->chooser->answers = {other};
    Click("cmdLoadFile");
    const FileRequest& load = world_->chooser->requests.back();
    QCOMPARE(load.title, QString("Load help file"));
    QCOMPARE(load.filter, QString("Help Files (*.txt)"));
    QCOMPARE(load.default_suffix, QString("txt"));
    QCOMPARE(QDir(load.start_folder), QDir(world_->folder.path()));
    QCOMPARE(load.preset_name, world_->file("help.txt"));
    QCOMPARE(Pane()->toPlainText(), QString("Other text"));
    QCOMPARE(Help()->windowTitle(), "Quillmere Help File - " + other);

    TypeIntoPane("!");
    world_->chooser->answers = {saved};
    Click("cmdSaveAsFile");
    QCOMPARE(world_->chooser->requests.back().title, QString("Save help file"));
    QCOMPARE(world_->chooser->requests.back().preset_name, other);
    QCOMPARE(Read(saved), std::string("Other text!\r\n"));
    QCOMPARE(Help()->windowTitle(), "Quillmere Help File - " + saved);
    QVERIFY(!Help()->hasUnsavedEdits());
    QCOMPARE(Read(other), std::string("Other text\n"));
  }

  void failed_save_names_the_file() {
    ChooseHelp();
    const QString title = Help()->windowTitle();
    const QString bad = world_->file("missing/help.txt");
    world_->chooser->answers = {bad};
    Click("cmdSaveAsFile");
    QMessageBox* box = OpenMessageBox(Help());
    QVERIFY(box);
    QVERIFY2(box->text().contains(bad), qPrintable(box->text()));
    box->accept();
    QCOMPARE(Help()->windowTitle(), title);
  }

  // Whatever file is chosen, the pane shows its text or stays as it was, with a message that
  // names the file and says why.
  void odd_files_load_or_are_refused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");    // the pane afterwards: its start
    QTest::addColumn<QString>("refusal");  // part of the message, "" when loaded
    QTest::newRow("UTF-16 from a Windows editor")
        << QByteArray("\xFF\xFEM\0o\0o\0n\0\r\0\n\0\xE9\0", 16) << QString("Moon\n\u00e9") << "";
    QTest::newRow("8-bit code page") << QByteArray("caf\xE9\r\n") << QString("caf\u00e9") << "";
    QTest::newRow("a long line") << QByteArray(60000, 'x') << QString("xxxxxxxx") << "";
    QTest::newRow("15 MiB on one line") << QByteArray("a\r\n") + QByteArray(15 << 20, 'x') << QString("How to read")
                                        << "its line 2 is 15728640 bytes long";
    QTest::newRow("binary") << QByteArray("\x7F" "ELF\x02\x01\x01\0\0", 9) << QString("How to read")
                            << "it holds NUL bytes, which no text file has";
    QTest::newRow("larger than any help file") << QByteArray((16 << 20) + 1, 'x') << QString("How to read")
                                               << "larger than 16 MiB";
  }
  void odd_files_load_or_are_refused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(QString, refusal);
    const QString file = world_->file("chosen.txt");
    Write(file, bytes.toStdString());
    ChooseHelp();
    world_->chooser->answers = {file};
    Click("cmdLoadFile");
    QVERIFY2(Pane()->toPlainText().startsWith(shown), qPrintable(Pane()->toPlainText().left(40)));
    if (refusal.isEmpty()) {
      QCOMPARE(Help()->windowTitle(), "Quillmere Help File - " + file);
      QCOMPARE(Pane()->toPlainText().size(), shown.size() + (bytes.size() > 100 ? bytes.size() - shown.size() : 0));
      return;
    }
    QMessageBox* box = OpenMessageBox(Help());
    QVERIFY(box);
    QVERIFY2(box->text().contains(file) && box->text().contains(refusal), qPrintable(box->text()));
    box->accept();
    QCOMPARE(Help()->windowTitle(), "Quillmere Help File - " + world_->file("help.txt"));
  }

  void closing_with_edits_asks_to_save() {
    ChooseHelp();
    QPointer<HelpWindow> help = Help();
    TypeIntoPane("kept");
    world_->chooser->answers = {world_->file("help.txt")};
    AnswerNextMessageBox(QMessageBox::Save);
    QVERIFY(help->close());
    QCOMPARE(Read(world_->file("help.txt")), std::string("How to read a report\r\nLine twokept\r\n"));
    QTRY_VERIFY(help.isNull());
  }

  // The main window does not close over unsaved help edits the user wants to keep, and
  // writes no start-up file until it does close.
  void main_window_close_can_be_cancelled_for_help_edits() {
    ChooseHelp();
    TypeIntoPane("draft");
    AnswerNextMessageBox(QMessageBox::Cancel);
    QVERIFY(!window_->close());
    QVERIFY(window_->isVisible());
    QVERIFY(Help()->hasUnsavedEdits());
    QVERIFY(!QFile::exists(world_->file("Quillmere.ini")));

    AnswerNextMessageBox(QMessageBox::Discard);
    QVERIFY(window_->close());
    QVERIFY(!Help());
    QVERIFY(QFile::exists(world_->file("Quillmere.ini")));
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
