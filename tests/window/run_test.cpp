// Runs from the window: a click on a run command fills the pane and saves the report in the
// data folder; a long run can be cancelled and bad input is refused in plain words, both
// leaving the old report. The Swiss Ephemeris files of Debian's swe-basic-data are used.
#include "decimal_comma_locale.h"
#include "store/regional_settings.h"
#include "window/results_model.h"
#include "tests/support/report_pieces.h"
#include "window_fixture.h"

using namespace tarnwick;

class RunTest : public WindowTest {
  Q_OBJECT

  // What a run leaves: the report pane's text, then the files of the data folder.
  QStringList Left() { return QStringList{PaneText()} << DataFiles(); }

 private slots:
  // The Moon 105 degrees from Jupiter at 11:56 local time (zone 5), as tarnwick-cli prints it
  // for the same settings. (The declination command: the decimal-comma case below and
  // keyboard_runs_and_cancels in results_table_test.cpp.)
  void run_fills_the_pane_and_saves_the_report() {
    const QString file_name = "12012007_12012007_5_3.0_15.0_gg_mp_15_noRA.txt";
    OpenOnOneDay();
    QTest::mouseClick(Find<QRadioButton>("opt3_ghd_1"), Qt::LeftButton);  // P3 plays no part...
    // The "Report text" tab beside the results table, clicked.
    QTabBar* tabs = Find<QTabWidget>("tabResults")->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(Find<QTabWidget>("tabResults")->currentWidget(), static_cast<QWidget*>(Pane()));
    Run("cmdAspectarian");
    QCOMPARE(DataFiles(), QStringList{file_name});
    QCOMPARE(Read(world_->file("data/" + file_name)), PaneText().replace('\n', "\r\n"));
    QVERIFY2(PaneText().contains("g. Moon     g. Jupiter  12/01/2007 11:56  11.1 (06) 26.1 (09)  105"), qPrintable(PaneText()));
    QVERIFY(Find<QRadioButton>("opt3_ghd_0")->isChecked());  // ...and takes P2's centre
    QVERIFY(Pane()->hasFocus() && Status().contains(file_name) && Find<QPushButton>("cmdAspectarian")->isEnabled());
    // A double click in the pane selects the whole report.
    QTest::mouseDClick(Pane()->viewport(), Qt::LeftButton);
    QCOMPARE(Pane()->textCursor().selectedText().size(), PaneText().size());
  }

  // A user of a decimal-comma locale: QApplication has made it the C locale of the process.
  // Typed with the point or the comma, the time zone is -5.5 hours (read as -5 it put every
  // moment 30 minutes off), and the report says "." as everywhere (not "11,1 (06)").
  void decimal_comma_locale_reads_the_boxes_and_writes_points() {
    struct Leave { ~Leave() { LeaveDecimalCommaLocale(); } } leave;
    if (const std::string why = UseDecimalCommaLocale(); !why.empty()) QSKIP(why.c_str());
    for (const QString zone : {"-5.5", "-5,5"}) {
      Afresh();
      world_->regional = Get_Regional_Settings();
      QCOMPARE(world_->regional.decimal_separator, ',');
      OpenOnOneDay();
      for (const char* box : {"txtStartDate", "txtEndDate"}) Type(box, "01.12.2007");
      Type("txtTZ", zone);
      // The Moon 105 degrees from Jupiter at 16:56 UT: 11:56 in zone 5, 22:26 in zone -5.5.
      Run("cmdAspectarian");
      QVERIFY2(PaneText().contains("g. Moon     g. Jupiter  01/12/2007 22:26  11.1 (06) 26.1 (09)  105"), qPrintable(PaneText()));
      // As tarnwick-cli prints it in the C locale for zone -5.5.
      Type("txtEndDate", "13.12.2007");
      Run("cmdAspectarian_declination");
      QVERIFY2(PaneText().contains("g. Moon     g. Jupiter  13/12/2007 06:24  -23.235  -23.235"), qPrintable(PaneText()));
      QCOMPARE(DataFiles().size(), 2);
    }
  }

  // A run limited to a daily time window typed as the boxes show it, with a colon; then a text
  // that is no time of day (refused by the box's name instead of silently emptying the
  // report) and a long run cancelled both keep that report.
  void cancel_or_refusal_keeps_the_old_report() {
    OpenOnOneDay();
    QTest::mouseClick(Find<QCheckBox>("chkEnableTimePeriod"), Qt::LeftButton);
    Type("txtStartTime", "11:30");
    Type("txtEndTime", "12:00");
    Run("cmdAspectarian");
    const QStringList old = Left(), old_rows = TableRows();
    QVERIFY2(old[0].contains("12/01/2007 11:56") && !old_rows.isEmpty(), qPrintable(old[0]));
    Type("txtEndTime", "2599");
    Run("cmdAspectarian");
    // Bad input is refused in a message, never inside the report text. (Each field's rules,
    // each with its message, are tested in tests/core and tests/store.)
    ExpectMessage(window_.get(), {"End Time: \"2599\" is not a time of day"});
    QCOMPARE(Left(), old);

    // Two centuries of every triple of the planets: far longer than any test waits.
    RunSettings long_run = LongRun();
    long_run.chkP1Planets = long_run.chkP2Planets = long_run.chkP3Planets = BodyRange(0, 9);
    Load(long_run, "long.opt");
    Click("cmdAspectarian");
    QVERIFY(window_->running());
    // Everything that feeds a run is locked; Cancel is offered.
    for (const char* name : {"cmdAspectarian", "cmdAspectarian_declination", "txtStartDate", "chkP1Planets_0"}) QVERIFY2(!Find<QWidget>(name)->isEnabled(), name);
    QVERIFY(!Find<QAction>("mnuNextMonth")->isEnabled() && !Find<QAction>("mnuFileLoad")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(Find<QProgressBar>("prgRun")->value() > 0, kRunTimeoutMs);
    // The table fills as the rows come, while the run goes on. (Their order and completeness:
    // tests/engine.)
    QTRY_VERIFY_WITH_TIMEOUT(Table()->model()->rowCount() > 10, kRunTimeoutMs);
    QVERIFY(window_->running());
    Run("cmdCancel");

    QCOMPARE(Left(), old);
    QCOMPARE(TableRows(), old_rows);
    QVERIFY(Status().contains("cancelled"));
    // The window is usable again, the near/far box still following its rule.
    QVERIFY(Find<QPushButton>("cmdAspectarian")->isEnabled() && Find("txtStartDate")->isEnabled() &&
            !Find<QCheckBox>("chkUseNear_and_Far")->isEnabled() && !Find<QProgressBar>("prgRun")->isVisible());
  }

  // A run too large for the disk or the memory is asked about before it searches: No leaves
  // everything as it was, Yes runs it.
  void run_too_large_is_asked_about_first() {
    WindowWorld world = world_->world();
    RunSize asked;
    world.size_problem = [&asked](const RunSize& size, const std::filesystem::path&) {
      asked = size;
      return std::string("the report would take about 9 TiB, more than the disk has.");
    };
    Open(world);
    Load(OneDay());
    const QString old_report = PaneText();
    QString question;
    AnswerNextMessageBox(QMessageBox::No, &question);
    Run("cmdAspectarian");
    QVERIFY2(question.contains("9 TiB"), qPrintable(question));
    // The window keeps the rows and saves the report: both are counted.
    QVERIFY(asked.rows > 0 && asked.report_bytes >= static_cast<std::uint64_t>(asked.rows) * 40 &&
            asked.kept_bytes >= static_cast<std::uint64_t>(asked.rows) * sizeof(FoundAspect));
    QVERIFY2(Status().contains("did not start") && Status().contains("9 TiB"), qPrintable(Status()));
    QCOMPARE(PaneText(), old_report);
    QVERIFY(DataFiles().isEmpty() && Table()->model()->rowCount() == 0 && Find<QPushButton>("cmdAspectarian")->isEnabled());

    AnswerNextMessageBox(QMessageBox::Yes);
    Run("cmdAspectarian");
    QVERIFY2(Status().contains("Saved"), qPrintable(Status()));
    QVERIFY(DataFiles().size() == 1 && Table()->model()->rowCount() > 0);
  }

  // A report of some 20,000 lines goes into the pane in slices: a timer of the window's thread
  // keeps ticking while the pane fills, and Cancel, clicked once the bar is full or while the
  // report is being shown, still cancels and puts the old report back.
  void large_report_is_shown_in_slices_and_can_be_cancelled() {
    OpenOnOneDay();
    Run("cmdAspectarian");
    const QStringList old = Left();
    // The Moon to the midpoints of every pair of bodies over three months: about 20,000 lines.
    RunSettings large;
    large.txtStartDate = "01/01/2008";
    large.txtEndDate = "03/31/2008";
    large.chkP1Planets = BodyList({idxMoon});
    large.chkP2Planets.fill(true);
    large.chkP3Planets.fill(true);
    Load(large, "large.opt");

    auto* bar = Find<QProgressBar>("prgRun");
    QString cancel;  // when Cancel is clicked: "full", "showing", or "" never
    int ticks_while_showing = 0;
    bool clicked = false;
    QTimer ticking;
    connect(&ticking, &QTimer::timeout, [&] {
      if (!window_->running()) return;
      const bool showing = Status().startsWith("Showing the report");
      ticks_while_showing += showing;
      const bool now = cancel == "full" ? bar->value() == bar->maximum() : cancel == "showing" && showing;
      if (now && !clicked) {
        clicked = true;
        QTest::mouseClick(Find<QPushButton>("cmdCancel"), Qt::LeftButton);
      }
    });
    ticking.start(10);
    for (const char* when : {"full", "showing"}) {
      cancel = when;
      clicked = false;
      Run("cmdAspectarian");
      QVERIFY2(clicked, when);
      QVERIFY2(Status().contains("cancelled"), qPrintable(Status()));
      QCOMPARE(Left(), old);
      QVERIFY(Find<QPushButton>("cmdAspectarian")->isEnabled() && !bar->isVisible());
    }
    cancel.clear();
    ticks_while_showing = 0;
    Run("cmdAspectarian");
    QVERIFY2(ticks_while_showing >= 2, qPrintable(QString::number(ticks_while_showing)));
    QVERIFY2(Pane()->blockCount() > 15000, qPrintable(QString::number(Pane()->blockCount())));
    const QString name = "01012008_03312008_5_3.0_15.0_ggg_mp_15_noRA.txt";
    QVERIFY2(Status().contains("Saved") && DataFiles().contains(name), qPrintable(Status()));
    QCOMPARE(Read(world_->file("data/" + name)), PaneText().replace('\n', "\r\n"));
  }

  // The aspect set beside the grid switch: the report's name says the set, and the summary
  // above the results says what was searched and how many of the rows found it lists. Which
  // lines a set keeps is tested in report_lines_test.cpp and real_sky_test.cpp.
  void aspect_set_names_the_report_and_the_summary() {
    Open();
    Load(OneDay("12/01/2007", "12/04/2007"));
    auto* button = Find<QPushButton>("cmdAspectSet");
    QCOMPARE(button->text(), QString("Aspects: all"));
    for (const char* action : {"mnuAspectSetMajor", "mnuAspectSet_0"}) Find<QAction>(action)->trigger();  // no conjunctions
    QCOMPARE(button->text(), QString("Aspects: 60 90 120 180"));
    Run("cmdAspectarian");
    QCOMPARE(DataFiles(), QStringList{"12012007_12042007_5_3.0_15.0_gg_mp_15_noRA_aspects_60-90-120-180.txt"});
    const QString summary = Find<QLabel>("lblRunSummary")->text();
    QVERIFY2(Find<QLabel>("lblRunSummary")->isVisible() && summary.contains("Aspects: 60, 90, 120, 180") &&
                 summary.contains(QString("Rows: %1 of ").arg(ReportLines().size())),
             qPrintable(summary));

    // On the 30-degree grid the odd multiples of 15 are greyed out; the set is kept.
    QTest::mouseClick(Find<QCheckBox>("chkInclude15DegAspects"), Qt::LeftButton);
    QVERIFY(!Find<QAction>("mnuAspectSet_45")->isEnabled() && Find<QAction>("mnuAspectSet_90")->isEnabled());
    QCOMPARE(window_->ControlsToSettings().txtAspectSet, std::string("60,90,120,180"));
    Find<QAction>("mnuAspectSetAll")->trigger();
    QCOMPARE(window_->ControlsToSettings().txtAspectSet, std::string());
  }
};

TARNWICK_WINDOW_TEST(RunTest);
#include "run_test.moc"
