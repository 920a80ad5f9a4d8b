// The help window: opened fresh by each "&Help", its caption naming the file shown, loads and
// saves through the dialog, and unsaved edits never dropped without asking. A failed save is
// tested in write_failure_test.cpp; that a save replaces a symbolic link rather than writing
// through it, in atomic_file_test.cpp.
#include "window/help_window.h"
#include "window_fixture.h"

using namespace tarnwick;

class HelpWindowTest : public WindowTest {
  Q_OBJECT

  HelpWindow* Help() { return window_->helpWindow(); }
  QPlainTextEdit* Pane() { return Find<QPlainTextEdit>("RichText1", Help()); }
  QString Caption(const QString& file) { return "Quillmere Help File - " + file; }
  void ChooseHelp() { Find<QAction>("mnuHelp")->trigger(); }
  // The main window over a two-line help.txt, and "&Help" chosen.
  void OpenHelp() {
    Write(world_->file("help.txt"), "How to read a report\r\nLine two\r\n");
    Open();
    ChooseHelp();
  }
  void TypeIntoPane(const QString& text) {
    QTest::mouseClick(Pane()->viewport(), Qt::LeftButton);
    QTest::keyClick(Pane(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(Pane(), text);
  }

 private slots:
  // "&Help" shows the default file; "&Help" again asks about the old window's edits:
  // cancelling keeps it, discarding opens one fresh window on the saved file.
  void help_twice_leaves_one_fresh_window_and_closing_asks_first() {
    OpenHelp();
    QPointer<HelpWindow> first = Help();
    TypeIntoPane("my note");

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
    QTRY_COMPARE(window_->findChildren<HelpWindow*>().size(), 1);
    ChooseHelp();  // nothing edited: no question, still one window
    QTRY_COMPARE(window_->findChildren<HelpWindow*>().size(), 1);
    QVERIFY(Help()->isVisible());

    // Closing the main window over unsaved help edits asks first: Cancel keeps both windows
    // open and writes no start-up file yet; Save writes the help file, then both close.
    TypeIntoPane("kept");
    AnswerNextMessageBox(QMessageBox::Cancel);
    QVERIFY(!window_->close());
    QVERIFY(window_->isVisible() && Help()->hasUnsavedEdits());
    QVERIFY(!QFile::exists(world_->file("Quillmere.ini")));

    world_->chooser->answers = {world_->file("help.txt")};
    AnswerNextMessageBox(QMessageBox::Save);
    QVERIFY(window_->close());
    QCOMPARE(Read(world_->file("help.txt")), QString("How to read a report\r\nLine twokept\r\n"));
    QVERIFY(!Help());
    QVERIFY(QFile::exists(world_->file("Quillmere.ini")));
  }

  // Load and save go through the dialog and name the file shown; a cancelled dialog changes
  // nothing. A file over either of the window's limits, 1 MiB and lines of 64 KiB, is refused
  // with a message that names the file and says why, the pane left as it was; one at the limit
  // is shown. How a file is read and decoded (a binary one refused) is tested in
  // settings_file_test.cpp and atomic_file_test.cpp.
  void load_and_save_name_the_file_shown() {
    const QString help = world_->file("help.txt"), other = world_->file("moon phases.txt"),
                  saved = world_->file("saved.txt");
    Write(other, "Other text\n");
    OpenHelp();

    Choose(std::nullopt, "cmdLoadFile", Help());  // a cancelled dialog changes nothing
    QCOMPARE(Help()->windowTitle(), Caption(help));

    Choose(other, "cmdLoadFile", Help());
    QCOMPARE(Fields(world_->chooser->requests.back()),
             (QStringList{"Load", "Load help file", "Help Files (*.txt)", "txt", world_->folder.path(), help}));
    QCOMPARE(Pane()->toPlainText(), QString("Other text"));
    QCOMPARE(Help()->windowTitle(), Caption(other));

    TypeIntoPane("!");
    Choose(saved, "cmdSaveAsFile", Help());
    QCOMPARE(Fields(world_->chooser->requests.back()),
             (QStringList{"Save", "Save help file", "Help Files (*.txt)", "txt", world_->folder.path(), other}));
    QCOMPARE((QStringList{Read(saved), Help()->windowTitle(), Read(other)}),
             (QStringList{"Other text!\r\n", Caption(saved), "Other text\n"}));
    QVERIFY(!Help()->hasUnsavedEdits());

    QByteArray short_lines;
    while (short_lines.size() < (1 << 20)) short_lines += "Moon trine Sun\n";
    short_lines.truncate(1 << 20);  // ends in "M", no line break
    struct Row { QByteArray bytes; QString refusal; };  // refusal "" when loaded and shown whole
    // The refused first: the pane keeps the text saved. Then each file loaded replaces the one before.
    const Row rows[] = {
        {QByteArray("a\r\n") + QByteArray(65537, 'x'), "its line 2 is 65537 bytes long"},
        {short_lines + "x", "it is 1048577 bytes long, more than the 1048576 (1 MiB)"},
        {QByteArray(65536, 'x'), ""},
        {short_lines, ""},
    };
    int n = 0;
    for (const Row& r : rows) {
      const QString file = world_->file(QString("chosen%1.txt").arg(++n));
      Write(file, r.bytes.toStdString());
      Choose(file, "cmdLoadFile", Help());
      if (r.refusal.isEmpty()) {
        QCOMPARE(Pane()->toPlainText(), QString(r.bytes));
        QCOMPARE(Help()->windowTitle(), Caption(file));
        continue;
      }
      QCOMPARE(Pane()->toPlainText(), QString("Other text!"));
      ExpectMessage(Help(), {file, r.refusal});
      QCOMPARE(Help()->windowTitle(), Caption(saved));
    }
  }
};

TARNWICK_WINDOW_TEST(HelpWindowTest);
#include "help_window_test.moc"
