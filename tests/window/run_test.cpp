// Runs from the window: a click on a run command fills the pane and saves the report in the
// data folder; a long run can be cancelled, leaving the old report; bad input is refused in
// plain words. The Swiss Ephemeris files of Debian's swe-basic-data are used.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "store/atomic_file.h"
#include "store/settings_file.h"
#include "window_fixture.h"

using namespace tarnwick;

namespace {

// Generous: a small run takes well under a second, but CI machines can be busy.
constexpr int kRunTimeoutMs = 60000;

BodySelection Only(std::initializer_list<int> bodies) {
  BodySelection s{};
  for (int b : bodies) s[b] = true;
  return s;
}

// One day, the Moon against the Sun and Jupiter, two-body aspects.
RunSettings OneDay() {
  RunSettings s;
  s.txtStartDate = s.txtEndDate = "12/01/2007";
  s.chkUseP3 = false;
  s.chkP1Planets = Only({idxMoon});
  s.chkP2Planets = Only({idxSun, 5});
  return s;
}

// Two centuries of every triple of the planets: far longer than any test waits.
RunSettings TwoCenturies() {
  RunSettings s;
  s.txtStartDate = "01/01/1900";
  s.txtEndDate = "12/31/2099";
  s.chkP1Planets = s.chkP2Planets = s.chkP3Planets = Only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  return s;
}

QStringList DataFiles(const TestWorld& world) { return QDir(world.file("data")).entryList(QDir::Files); }

}  // namespace

class RunTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestWorld> world_;
  std::unique_ptr<MainWindow> window_;

  template <typename T>
  T* Find(const char* name) {
    T* found = window_->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
  }
  QPlainTextEdit* Pane() { return Find<QPlainTextEdit>("txtResults"); }

  void Open() {
    window_ = std::make_unique<MainWindow>(world_->world());
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  // Loads settings through the File menu, as a user who prepared them earlier.
  void Load(const RunSettings& s, const QString& name) {
    const QString path = world_->file(name);
    QVERIFY(WriteFileAtomically(path.toStdString(), SettingsFileText(s)));
    world_->chooser->answers.push_back(path);
    Find<QAction>("mnuFileLoad")->trigger();
  }
  void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }

 private slots:
  void init() { world_ = std::make_unique<TestWorld>(); }
  void cleanup() {
    window_.reset();
    world_.reset();
  }

  void run_fills_the_pane_and_saves_the_report_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("file_name");
    QTest::addColumn<QString>("a_line");
    // The Moon 105 degrees from Jupiter at 11:56 local time (zone 5), as tarnwick-cli prints
    // it for the same settings.
    QTest::newRow("longitude") << "cmdAspectarian" << "12012007_12012007_5_3.0_15.0_gg_mp_15_noRA.txt"
                               << "g. Moon     g. Jupiter  12/01/2007 11:56  11.1 (06) 26.1 (09)  105";
    QTest::newRow("declination") << "cmdAspectarian_declination"
                                 << "12012007_12012007_5_decl_gg_mp_15_noRA_geoDecl.txt" << "";
  }
  void run_fills_the_pane_and_saves_the_report() {
    QFETCH(QString, command);
    QFETCH(QString, file_name);
    QFETCH(QString, a_line);
    Open();
    Load(OneDay(), "one-day.opt");
    QTest::mouseClick(Find<QRadioButton>("opt3_ghd_1"), Qt::LeftButton);  // P3 plays no part...
    Click(command.toLatin1().constData());
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);

    QCOMPARE(DataFiles(*world_), QStringList{file_name});
    const FileRead saved = ReadWholeFile(world_->path() / "data" / file_name.toStdString());
    QVERIFY(saved.ok);
    QString pane = Pane()->toPlainText();
    QCOMPARE(QString::fromStdString(saved.bytes), pane.replace('\n', "\r\n"));
    if (!a_line.isEmpty()) QVERIFY2(Pane()->toPlainText().contains(a_line), qPrintable(Pane()->toPlainText()));
    QVERIFY(Find<QRadioButton>("opt3_ghd_0")->isChecked());  // ...and takes P2's centre
    QVERIFY(Pane()->hasFocus());
    QVERIFY(Find<QLabel>("lblStatus")->text().contains(file_name));
    QVERIFY(Find<QPushButton>(command.toLatin1().constData())->isEnabled());

    // A double click in the pane selects the whole report.
    QTest::mouseDClick(Pane()->viewport(), Qt::LeftButton);
    QCOMPARE(Pane()->textCursor().selectedText().size(), Pane()->toPlainText().size());
  }

  void cancel_keeps_the_old_report() {
    Open();
    Load(OneDay(), "one-day.opt");
    Click("cmdAspectarian");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);
    const QString old_report = Pane()->toPlainText();
    const QStringList old_files = DataFiles(*world_);
    QVERIFY(!old_report.isEmpty());

    Load(TwoCenturies(), "long.opt");
    Click("cmdAspectarian");
    QVERIFY(window_->running());
    // Everything that feeds a run is locked; Cancel is offered.
    QVERIFY(!Find<QPushButton>("cmdAspectarian")->isEnabled());
    QVERIFY(!Find<QPushButton>("cmdAspectarian_declination")->isEnabled());
    QVERIFY(!Find<QLineEdit>("txtStartDate")->isEnabled());
    QVERIFY(!Find<QCheckBox>("chkP1Planets_0")->isEnabled());
    QVERIFY(!Find<QAction>("mnuNextMonth")->isEnabled());
    QVERIFY(!Find<QAction>("mnuFileLoad")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(Find<QProgressBar>("prgRun")->value() > 0, kRunTimeoutMs);
    Click("cmdCancel");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);

    QCOMPARE(Pane()->toPlainText(), old_report);
    QCOMPARE(DataFiles(*world_), old_files);
    QVERIFY(Find<QLabel>("lblStatus")->text().contains("cancelled"));
    // The window is usable again: the near/far box follows its rule, typing works.
    QVERIFY(Find<QPushButton>("cmdAspectarian")->isEnabled());
    QVERIFY(!Find<QCheckBox>("chkUseNear_and_Far")->isEnabled());
    QVERIFY(!Find<QProgressBar>("prgRun")->isVisible());
    QLineEdit* tz = Find<QLineEdit>("txtTZ");
    QTest::mouseClick(tz, Qt::LeftButton);
    QTRY_COMPARE(tz->selectedText(), QString("5"));
    QTest::keyClicks(tz, "-8");
    QCOMPARE(tz->text(), QString("-8"));
  }

  void bad_input_is_refused_in_a_message() {
    Open();
    Load(OneDay(), "one-day.opt");
    Click("cmdAspectarian");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);
    const QString old_report = Pane()->toPlainText();
    QLineEdit* start = Find<QLineEdit>("txtStartDate");
    QTest::mouseClick(start, Qt::LeftButton);
    QTest::keyClick(start, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(start, "13/45/2007");
    Click("cmdAspectarian");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);
    QMessageBox* box = OpenMessageBox(window_.get());
    QVERIFY(box);
    QVERIFY2(box->text().contains("Start Date: \"13/45/2007\" is not a valid date"), qPrintable(box->text()));
    QCOMPARE(Pane()->toPlainText(), old_report);  // never inside the report text
    box->accept();
  }
};

QTEST_MAIN(RunTest)
#include "run_test.moc"
