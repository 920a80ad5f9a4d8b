// What the window tests hand the window instead of the world: a scratch program folder, a
// fixed clock and regional format, a file chooser that answers by script, and a base class
// that opens the window on them and clicks, types and answers message boxes as a user would.
#pragma once

// moc reads each test file for its test class and follows every include; Qt's two umbrella
// headers, hundreds of files, made that 36 s of processor time per build, and the class needs
// none of them (moc defines Q_MOC_RUN).
#ifndef Q_MOC_RUN
#include <QtTest>
#include <QtWidgets>
#endif
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "store/atomic_file.h"
#include "store/settings_file.h"
#include "window/file_chooser.h"
#include "window/main_window.h"
#include "window/results_model.h"

namespace tarnwick {

// Answers each dialog with the next scripted path (nothing = the user cancelled) and keeps
// the requests so tests can check titles, folders and preset names.
class ScriptedChooser final : public FileChooser {
 public:
  std::optional<QString> Choose(QWidget*, const FileRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    const std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<QString>> answers;
  std::vector<FileRequest> requests;
};

// A request as one list: mode, title, filter, suffix, starting folder, preset name.
inline QStringList Fields(const FileRequest& r) {
  return {r.mode == FileRequest::Mode::Save ? "Save" : "Load", r.title, r.filter, r.default_suffix,
          QDir::cleanPath(r.start_folder), r.preset_name};
}

// A program folder of its own per test: start-up file, data/ and help.txt inside it.
struct TestWorld {
  QTemporaryDir folder;
  std::shared_ptr<ScriptedChooser> chooser = std::make_shared<ScriptedChooser>();
  CalendarDate today{2, 14, 2024};
  RegionalFormat regional;

  QString file(const QString& name) const { return folder.filePath(name); }

  WindowWorld world() const {
    WindowWorld w;
    w.today = [d = today] { return d; };
    w.regional = regional;
    // No XDG variables: a writable program folder keeps everything beside the program.
    w.files = LocateProgramFiles(folder.path().toStdString(), true, [](std::string_view) { return std::nullopt; });
    w.chooser = chooser;
    w.provider_factory = [] { return std::make_unique<SwissEphemeris>(EphemerisSearchPath(ProgramFolder())); };
    w.threads = 2;
    return w;
  }
};

// One day, 12/01/2007, of the Moon against the Sun and Jupiter, two-body aspects only: a run
// of well under a second with one aspect in its report. Tests of longer runs give another
// `start` and `end` (nullptr: the start's day alone).
inline RunSettings OneDay(const char* start = "12/01/2007", const char* end = nullptr) {
  RunSettings s;
  s.txtStartDate = start;
  s.txtEndDate = end ? end : start;
  s.chkUseP3 = false;
  s.chkP1Planets = s.chkP2Planets = BodySelection{};
  s.chkP1Planets[idxMoon] = s.chkP2Planets[idxSun] = s.chkP2Planets[5] = true;
  return s;
}

// Two centuries from 01/01/1900: far longer than any test waits, to be cancelled.
inline RunSettings LongRun() {
  RunSettings s;
  s.txtStartDate = "01/01/1900";
  s.txtEndDate = "12/31/2099";
  return s;
}

// Clicks `button` on the next message box that opens, modal to the application or to its
// window; NoButton presses Return, the box's default. Polls, so it works for a box that blocks
// in its own event loop as well as for one that is merely open; the polling ends with `owner`
// should no box open.
inline void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr,
                                 QObject* owner = nullptr) {
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, [timer, button, text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    if (text) *text = box->text();
    timer->stop();
    timer->deleteLater();
    if (button == QMessageBox::NoButton) QTest::keyClick(box, Qt::Key_Return);
    else box->button(button)->click();
  });
  timer->start(5);
}

// Each test function starts on a fresh world; Open() starts the main window on it.
class WindowTest : public QObject {
  Q_OBJECT

 protected:
  // Generous: a small run takes well under a second, but CI machines can be busy.
  static constexpr int kRunTimeoutMs = 60000;

  std::unique_ptr<TestWorld> world_;
  std::unique_ptr<MainWindow> window_;

  // A window started on `world` (world_ by default), shown and active so that shortcuts and
  // focus work.
  void Open(const std::optional<WindowWorld>& world = std::nullopt) {
    window_ = std::make_unique<MainWindow>(world ? *world : world_->world());
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("the main window never became active");
  }

  // The window opened, with the one day's settings loaded.
  void OpenOnOneDay() { Open(); Load(OneDay()); }
  // A fresh world with no window, for each case of a table run in one test function.
  void Afresh() {
    window_.reset();
    world_ = std::make_unique<TestWorld>();
  }

  // The control named `name` in `in` (the main window when null); none ends the test run.
  template <typename T = QLineEdit>
  T* Find(const char* name, QObject* in = nullptr) {
    T* found = (in ? in : window_.get())->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
  }
  void Click(const char* button, QObject* in = nullptr) { QTest::mouseClick(Find<QPushButton>(button, in), Qt::LeftButton); }
  QString Status() { return Find<QLabel>("lblStatus")->text(); }
  // The results table, one of its cells as shown, and a click on a column's head.
  QTableView* Table() { return Find<QTableView>("tblResults"); }
  QString Cell(int row, int column) { return Table()->model()->index(row, column).data().toString(); }
  void ClickHeader(int column) {
    QHeaderView* header = Table()->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }
  // All a row's cells joined by `sep`; every row so.
  QString RowText(int row, QChar sep = ' ') {
    QStringList cells;
    for (int c = 0; c < Table()->model()->columnCount(); ++c) cells << Cell(row, c);
    return cells.join(sep);
  }
  QStringList TableRows(QChar sep = ' ') {
    QStringList rows;
    for (int r = 0; r < Table()->model()->rowCount(); ++r) rows << RowText(r, sep);
    return rows;
  }
  // The texts of `column` down the table, each run of equal ones once: "each body in one
  // block" reads as no repeat in it.
  QStringList Blocks(int column) {
    QStringList blocks;
    for (int r = 0; r < Table()->model()->rowCount(); ++r)
      if (blocks.isEmpty() || blocks.back() != Cell(r, column)) blocks << Cell(r, column);
    return blocks;
  }
  // Row r of the table is line r of the report: its date and time, "12/01/2007 11:56", and its
  // second role (a body or an event's word) are in the line.
  void ExpectRowsAreLines(const QStringList& lines) {
    QCOMPARE(Table()->model()->rowCount(), lines.size());
    for (int r = 0; r < lines.size(); ++r) {
      const QString moment = Cell(r, ResultsModel::kDate) + " " + Cell(r, ResultsModel::kTime);
      QVERIFY2(lines[r].contains(moment) && lines[r].contains(Cell(r, ResultsModel::kP2)),
               qPrintable(lines[r] + " | " + RowText(r)));
    }
  }
  // The report pane and its text, and the files in the data folder.
  QPlainTextEdit* Pane() { return Find<QPlainTextEdit>("txtResults"); }
  QString PaneText() { return Pane()->toPlainText(); }
  QStringList DataFiles() { return QDir(world_->file("data")).entryList(QDir::Files); }
  // The report's lines as the pane shows them, without the blank lines and the rule.
  QStringList ReportLines() {
    QStringList lines = PaneText().split('\n');
    lines.removeIf([](const QString& l) { return l.isEmpty() || l.startsWith('-'); });
    return lines;
  }

  // Clicks into a box, as a user does before typing; entering the box selects its whole
  // text. A box that has the focus already (the first one does at start) keeps the caret
  // where the click put it, so the user selects all with Ctrl+A.
  void ClickInto(QLineEdit* box) {
    const bool had_focus = box->hasFocus();
    QTest::mouseClick(box, Qt::LeftButton);
    if (had_focus) QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTRY_COMPARE(box->selectedText(), box->text());
  }
  // Clicks into a box and types `text` over all it held.
  void Type(const char* box, const QString& text) {
    ClickInto(Find(box));
    QTest::keyClick(Find(box), Qt::Key_Delete);
    QTest::keyClicks(Find(box), text);
  }
  // Types over all a box held, selected with Ctrl+A (boxes of the dialogs and the events
  // group, which select nothing on entry).
  void Retype(QLineEdit* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
  }

  // Files the test prepares or checks, bypassing the window.
  void Write(const QString& path, const std::string& bytes) { QVERIFY(WriteFileAtomically(path.toStdString(), bytes)); }
  static QString Read(const QString& path) { return QString::fromStdString(ReadWholeFile(path.toStdString()).bytes); }
  // The user opens a file dialog, by a menu item, by Ctrl and a key in the main window or by a
  // button of `in`, and answers it with `file` (nothing: cancels it).
  void Choose(const std::optional<QString>& file, const char* action) {
    world_->chooser->answers = {file};
    Find<QAction>(action)->trigger();
  }
  void Choose(const std::optional<QString>& file, Qt::Key key) {
    world_->chooser->answers = {file};
    QTest::keyClick(window_.get(), key, Qt::ControlModifier);
  }
  void Choose(const std::optional<QString>& file, const char* button, QObject* in) {
    world_->chooser->answers = {file};
    Click(button, in);
  }
  // Loads settings through the File menu, as a user who prepared them earlier.
  void Load(const RunSettings& s, const QString& name = "prepared.opt") {
    Write(world_->file(name), SettingsFileText(s));
    world_->chooser->answers.push_back(world_->file(name));
    Find<QAction>("mnuFileLoad")->trigger();
  }
  // Clicks a run command and waits until the run is over.
  void Run(const char* command) {
    Click(command);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);
  }

  // The message box open over `parent` says each of `parts`; the user then closes it.
  void ExpectMessage(QWidget* parent, const QStringList& parts) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box && box->parentWidget() == parent);
    for (const QString& part : parts) QVERIFY2(box->text().contains(part), qPrintable(box->text()));
    box->accept();
  }

 private slots:
  void init() { world_ = std::make_unique<TestWorld>(); }
  void cleanup() { window_.reset(); world_.reset(); }
};

// The window tests are one program (link time is most of a test program's build): each class
// registers itself under its name, and window_test_main.cpp runs the class its first argument
// names, one class per process as CTest starts them.
using WindowTestMaker = std::unique_ptr<QObject> (*)();
inline std::map<std::string, WindowTestMaker>& WindowTestClasses() {
  static std::map<std::string, WindowTestMaker> classes;
  return classes;
}
struct WindowTestRegistration {
  WindowTestRegistration(const char* name, WindowTestMaker make) { WindowTestClasses()[name] = make; }
};

}  // namespace tarnwick

#define TARNWICK_WINDOW_TEST(Class)                                             \
  static const ::tarnwick::WindowTestRegistration Class##Registration(#Class,   \
      []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); })
