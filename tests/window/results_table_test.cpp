// The results table as a user meets it: filled by a run, sorted by a click on a column's
// head, narrowed by typing into the filter box, copied with Ctrl+C in the report's own lines
// and as tab-separated values; the keyboard commands; and the choices the window keeps from
// one start to the next. (A million rows through the model: bench/results_table.cpp.)
#include "window/results_model.h"
#include "window/window_look.h"
#include "window_fixture.h"

using namespace tarnwick;

class ResultsTableTest : public WindowTest {
  Q_OBJECT

  QAbstractItemModel* Shown() { return Table()->model(); }
  // Texts with each run of blanks made one, to compare a row with its report line.
  static QStringList Simplified(QStringList texts) {
    for (QString& t : texts) t = t.simplified();
    return texts;
  }
  // The Moon against Mercury, Venus and Jupiter over sixteen days: some forty lines.
  void RunAWeek() {
    RunSettings s = OneDay("12/01/2007", "12/16/2007");
    s.chkP2Planets[2] = s.chkP2Planets[3] = true;
    Load(s);
    Run("cmdAspectarian");
    QVERIFY(Shown()->rowCount() > 20);
  }

 private slots:
  // One row per report line, in the report's order; clicking a column's head sorts by it
  // (each body in one block), a second click reverses, the date column brings back the
  // report's order. With the report's numbers a row reads as its report line; glyphs and text
  // change the cells, not the rows. Ctrl+C copies the rows selected, in the order shown.
  void table_rows_are_the_report_lines_sorted_copied_and_in_any_notation() {
    Open();
    RunAWeek();
    const QStringList lines = ReportLines();
    ExpectRowsAreLines(lines);
    const QStringList by_moment = TableRows();
    ClickHeader(ResultsModel::kP2);
    QCOMPARE(Blocks(ResultsModel::kP2), (QStringList{"g. Mercury", "g. Venus", "g. Jupiter"}));  // catalogue order
    ClickHeader(ResultsModel::kP2);
    QCOMPARE(Blocks(ResultsModel::kP2), (QStringList{"g. Jupiter", "g. Venus", "g. Mercury"}));
    ClickHeader(ResultsModel::kDate);
    if (Table()->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder) ClickHeader(ResultsModel::kDate);
    QCOMPARE(TableRows(), by_moment);  // the same rows, back in the report's order

    Find<QAction>("mnuNotationNumbers")->trigger();
    QCOMPARE(Simplified(TableRows()), Simplified(lines));
    // Copied: the report's own lines, and tab-separated values (a header, then a row per line)
    // for a spreadsheet.
    ClickHeader(ResultsModel::kP2);
    // Rows clicked, Ctrl held after the first to add, then Ctrl+C.
    Table()->setFocus();
    Qt::KeyboardModifiers modifiers;
    QStringList rows;
    for (const int row : {1, 2, 3, 6}) {
      QTest::mouseClick(Table()->viewport(), Qt::LeftButton, modifiers, Table()->visualRect(Shown()->index(row, 0)).center());
      modifiers = Qt::ControlModifier;
      rows << RowText(row, '\t');
    }
    QTest::keyClick(Table(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    const QStringList tsv = QString::fromUtf8(copied->data("text/tab-separated-values")).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(tsv.mid(1), rows);
    const QStringList pasted = copied->text().split('\n', Qt::SkipEmptyParts);
    for (const QString& line : pasted) QVERIFY2(lines.contains(line), qPrintable(line));
    QCOMPARE(Simplified(pasted), Simplified(rows.replaceInStrings("\t", " ")));

    const QString numbers = Cell(0, ResultsModel::kPos1);
    Find<QAction>("mnuNotationText")->trigger();  // each notation's texts: report_lines_test.cpp
    QVERIFY(Cell(0, ResultsModel::kPos1) != numbers);
    QCOMPARE(Shown()->rowCount(), int(lines.size()));
  }

  // Typing narrows the rows to those holding the text (a body in any case, a date, nothing);
  // Ctrl+F reaches the box from anywhere, and an empty box shows every row again.
  void filter_narrows_as_one_types() {
    Open();
    RunAWeek();
    const QStringList lines = ReportLines();
    QLineEdit* box = Find("txtFilter");
    for (const QString typed : {"venus", "12/03/2007", "Pluto"}) {
      QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
      QTRY_VERIFY(box->hasFocus());
      QTest::keyClicks(box, typed);
      QTRY_COMPARE(Shown()->rowCount(), int(lines.filter(typed, Qt::CaseInsensitive).size()));
      for (const QString& row : TableRows()) QVERIFY2(row.contains(typed, Qt::CaseInsensitive), qPrintable(row));
      box->selectAll();
      QTest::keyClick(box, Qt::Key_Delete);
      QTRY_COMPARE(Shown()->rowCount(), int(lines.size()));
    }
  }

  // All notices of a run are in the notices list; the status line brings up only what is
  // new, so a notice that repeats one of the run before is not news again. The table keeps
  // the widths the user gave its columns.
  void repeated_notices_are_listed_but_not_news() {
    Open();
    RunSettings s = OneDay();
    s.chkP2Planets[21] = true;  // Sedna: computed from its orbit where its file is missing
    Load(s);
    Run("cmdAspectarian");
    auto* list = Find<QListWidget>("lstNotices");
    if (list->count() < 2) QSKIP("Sedna's ephemeris file is installed: no notice besides the saved report");
    const int notices = list->count();
    QVERIFY2(Status().contains(QString("(%1 more").arg(notices - 1)), qPrintable(Status()));
    QVERIFY(list->item(1)->toolTip().isEmpty());
    Table()->setColumnWidth(ResultsModel::kP1, 211);

    Run("cmdAspectarian");
    QCOMPARE(list->count(), notices);
    QVERIFY2(Status().contains("Saved") && !Status().contains("more"), qPrintable(Status()));
    for (int i = 0; i < notices; ++i) QVERIFY(!list->item(i)->toolTip().isEmpty());  // as before
    QCOMPARE(Table()->columnWidth(ResultsModel::kP1), 211);

    Click("cmdNotices");
    QCOMPARE(Find<QTabWidget>("tabResults")->currentWidget(), static_cast<QWidget*>(list));
    QTest::keyClick(window_.get(), Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(Find<QTabWidget>("tabResults")->currentIndex(), 0);
  }

  // At start the Start Date box has the focus with its text selected: the first date typed
  // replaces the one shown. Tab walks the controls as the screen reads them, row by row, and
  // selects the whole text of a box it enters, so typing replaces it (a click does the same,
  // which ClickInto() checks wherever a test clicks into a box). The access keys reach the
  // switches and the run commands.
  void tab_order_and_access_keys() {
    Open();
    QLineEdit* start_date = Find("txtStartDate");
    QTRY_VERIFY(start_date->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "05/01/2027");
    QCOMPARE(start_date->text(), QString("05/01/2027"));
    const std::pair<const char*, const char*> steps[] = {
        {"txtEndDate", "txtTZ"},                              // span to zone
        {"txtAspectOrb2", "txtStartTime"},                    // orbs to daily times
        {"cmdEndDateSameAsStartDate", "chkUseP3"},            // button to the switches
        {"chkP1Planets_4", "chkP2Planets_4"},                 // across a body's row
        {"chkP3Planets_4", "chkP1Planets_5"},                 // end of a row to the next
        {"chkP3Planets_25", "cmdAspectarian"},                // last body to the run command
    };
    for (const auto& [from, to] : steps) {
      auto* start = Find<QWidget>(from);
      start->setFocus(Qt::TabFocusReason);
      QTRY_VERIFY(start->hasFocus());
      QTest::keyClick(start, Qt::Key_Tab);
      QTRY_COMPARE(QApplication::focusWidget()->objectName(), QString(to));
      if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
        QTRY_COMPARE(box->selectedText(), box->text());
        QVERIFY(!box->text().isEmpty());
      }
    }
    auto* triple = Find<QCheckBox>("chkUseP3");
    const bool was = triple->isChecked();
    QTest::keyClick(window_.get(), Qt::Key_3, Qt::AltModifier);
    QTRY_COMPARE(triple->isChecked(), !was);  // pressed, then released a moment later
  }

  // Ctrl+Return and Ctrl+Shift+Return run; Enter in a text box runs the kind run last; Esc
  // cancels a run.
  void keyboard_runs_and_cancels() {
    OpenOnOneDay();
    QTest::keyClick(window_.get(), Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running() && Status().contains("decl"), kRunTimeoutMs);
    QTest::keyClick(window_.get(), Qt::Key_Return, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running() && Status().contains("noRA.txt"), kRunTimeoutMs);
    QVERIFY2(!Status().contains("decl"), qPrintable(Status()));

    Type("txtAspectOrb1", "2");
    QTest::keyClick(Find("txtAspectOrb1"), Qt::Key_Return);  // the longitude run was the last
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running() && Status().contains("_5_2_15.0_"), kRunTimeoutMs);
    QVERIFY2(!Status().contains("decl"), qPrintable(Status()));

    Load(LongRun(), "long.opt");
    QTest::keyClick(window_.get(), Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(window_->running());
    QTRY_VERIFY_WITH_TIMEOUT(Find<QProgressBar>("prgRun")->value() > 0, kRunTimeoutMs);
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);
    QVERIFY2(Status().contains("cancelled"), qPrintable(Status()));
  }

  // What the user chose comes back at the next start: bodies and switches, the time zone
  // (through the start-up file, whose lines startup_file_test.cpp reads), the size, the
  // splitter, the sort, the notation and the results view.
  void choices_come_back_at_the_next_start() {
    Open();
    // P1 Sun to Pluto, P3 none but the last.
    for (const char* button : {"cmdP1Planets", "cmdP3None", "chkP3Planets_25", "chkDisplayP1_P2P3_mp_aspects", "chkUse_RA"})
      QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton);
    Type("txtAspectOrb2", "7");
    Type("txtTZ", "-3");  // a line of the start-up file
    for (const char* action : {"mnuNotationText", "mnuViewReport"}) Find<QAction>(action)->trigger();
    window_->resize(900, 640);
    Find<QSplitter>("splitMain")->setSizes({350, 500});
    const QList<int> sizes = Find<QSplitter>("splitMain")->sizes();
    ClickHeader(ResultsModel::kTime);
    const RunSettings chosen = window_->ControlsToSettings();
    QVERIFY(chosen.chkP1Planets[9] && !chosen.chkP1Planets[10] && chosen.chkP3Planets[25] && !chosen.chkP3Planets[0]);
    QVERIFY(window_->close());
    window_.reset();

    Open();
    QVERIFY(window_->ControlsToSettings() == chosen);
    QCOMPARE(window_->size(), QSize(900, 640));
    QCOMPARE(Find<QSplitter>("splitMain")->sizes(), sizes);
    QVERIFY(Find<QAction>("mnuNotationText")->isChecked() && window_->notation() == Notation::Text);
    QCOMPARE(Find<QTabWidget>("tabResults")->currentWidget(), static_cast<QWidget*>(Pane()));
    QCOMPARE(Table()->horizontalHeader()->sortIndicatorSection(), int(ResultsModel::kTime));
  }

  // A window last seen on a screen that is gone comes back onto one; one that can still be
  // grabbed by its title stays where it was.
  void remembered_place_is_brought_onto_a_screen() {
    const QList<QRect> screens = {QRect(0, 0, 1366, 728), QRect(1366, 0, 1920, 1050)};  // a laptop, a second screen
    const QList<std::pair<QRect, QRect>> rows = {  // remembered, placed
        {QRect(100, 50, 900, 600), QRect(100, 50, 900, 600)},     // on the screen
        {QRect(1266, 700, 900, 600), QRect(1266, 700, 900, 600)}, // title strip just reachable
        {QRect(4000, 100, 900, 600), QRect(466, 100, 900, 600)},  // second screen unplugged
        {QRect(100, -300, 900, 600), QRect(100, 0, 900, 600)},    // title above the top
        {QRect(-3000, 0, 1920, 1080), QRect(0, 0, 1366, 728)},    // larger than the screen
    };
    for (const auto& [remembered, placed] : rows) QCOMPARE(OnSomeScreen(remembered, screens), placed);
  }
};

TARNWICK_WINDOW_TEST(ResultsTableTest);
#include "results_table_test.moc"
