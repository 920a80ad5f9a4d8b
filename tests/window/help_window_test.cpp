// The help window: opened fresh by each "&Help", its caption naming the file shown, loads and
// saves through the dialog, and unsaved edits never dropped without asking. A failed save is
// tested in write_failure_test.cpp.
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

  void load_and_save_name_the_file_shown() {
    const QString help = world_->file("help.txt");
    const QString other = world_->file("moon phases.txt");
    const QString saved = world_->file("saved.txt");
    Write(other, "Other text\n");
    OpenHelp();

    world_->chooser->answers = {std::nullopt};  // a cancelled dialog changes nothing
    Click("cmdLoadFile", Help());
    QCOMPARE(Help()->windowTitle(), Caption(help));

    world_->chooser->answers = {other};
    Click("cmdLoadFile", Help());
    QCOMPARE(Fields(world_->chooser->requests.back()),
             (QStringList{"Load", "Load help file", "Help Files (*.txt)", "txt", world_->folder.path(), help}));
    QCOMPARE(Pane()->toPlainText(), QString("Other text"));
    QCOMPARE(Help()->windowTitle(), Caption(other));

    TypeIntoPane("!");
    world_->chooser->answers = {saved};
    Click("cmdSaveAsFile", Help());
    QCOMPARE(Fields(world_->chooser->requests.back()),
             (QStringList{"Save", "Save help file", "Help Files (*.txt)", "txt", world_->folder.path(), other}));
    QCOMPARE(Read(saved), QString("Other text!\r\n"));
    QCOMPARE(Help()->windowTitle(), Caption(saved));
    QVERIFY(!Help()->hasUnsavedEdits());
    QCOMPARE(Read(other), QString("Other text\n"));
  }

  // A help.txt that is a symbolic link to some other file is shown, but saving the user's help
  // copy replaces the link: the file it pointed to keeps its text.
  void saving_the_help_copy_replaces_a_link() {
    QDir().mkpath(world_->file("elsewhere"));
    const QString target = world_->file("elsewhere/private.txt"), help = world_->file("help.txt");
    Write(target, "private\r\n");
    QVERIFY(QFile::link(target, help));
    Open();
    ChooseHelp();
    QCOMPARE(Pane()->toPlainText(), QString("private"));
    TypeIntoPane(" note");
    world_->chooser->answers = {help};
    Click("cmdSaveAsFile", Help());
    QVERIFY(!QFileInfo(help).isSymLink());
    QCOMPARE(Read(help), QString("private note\r\n"));
    QCOMPARE(Read(target), QString("private\r\n"));
  }

  // Whatever file is chosen, the pane shows its text or stays as it was, with a message that
  // names the file and says why. The decoding itself is tested in settings_file_test.cpp (text_encoding).
  void odd_files_load_or_are_refused() {
    QByteArray short_lines;
    while (short_lines.size() < (1 << 20)) short_lines += "Moon trine Sun\n";
    short_lines.truncate(1 << 20);  // ends in "M", no line break
    struct Row { QByteArray bytes; QString refusal; QString shown; };  // refusal "" when loaded; shown: whole
    // The refused first: the pane keeps help.txt. Then each file loaded replaces the one before.
    const Row rows[] = {
        {QByteArray("a\r\n") + QByteArray(200000, 'x'), "its line 2 is 200000 bytes long", ""},
        {short_lines.repeated(15), "it is 15728640 bytes long, more than the 1048576 (1 MiB)", ""},
        {QByteArray("\x7F" "ELF\x02\x01\x01\0\0", 9), "it holds NUL bytes, which no text file has", ""},  // binary
        {QByteArray((16 << 20) + 1, 'x'), "larger than 16 MiB", ""},
        {QByteArray("\xFF\xFEM\0o\0o\0n\0\r\0\n\0\xE9\0", 16), "", QString("Moon\n\u00e9")},  // UTF-16, Windows
        {QByteArray(60000, 'x'), "", QString(60000, 'x')},  // a long line
        {short_lines, "", QString(short_lines)},
    };
    OpenHelp();
    int n = 0;
    for (const Row& r : rows) {
      const QString file = world_->file(QString("chosen%1.txt").arg(++n));
      Write(file, r.bytes.toStdString());
      world_->chooser->answers = {file};
      Click("cmdLoadFile", Help());
      if (r.refusal.isEmpty()) {
        QCOMPARE(Pane()->toPlainText(), r.shown);
        QCOMPARE(Help()->windowTitle(), Caption(file));
        continue;
      }
      QVERIFY(Pane()->toPlainText().startsWith("How to read"));
      ExpectMessage(Help(), {file, r.refusal});
      QCOMPARE(Help()->windowTitle(), Caption(world_->file("help.txt")));
    }
  }
};

TARNWICK_WINDOW_TEST(HelpWindowTest);
#include "help_window_test.moc"
