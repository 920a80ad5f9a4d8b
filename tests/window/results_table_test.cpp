// The results table as a user meets it: filled by a run, sorted by a click on a column's
// head, narrowed by typing into the filter box, copied with Ctrl+C in the report's own lines
// and as tab-separated values; a million rows through the model; the keyboard commands; and
// the choices the window keeps from one start to the next.
#include "window/results_model.h"
#include "window/window_look.h"
#include "window_fixture.h"

using namespace tarnwick;

class ResultsTableTest : public WindowTest {
  Q_OBJECT

  QAbstractItemModel* Shown() { return Table()->model(); }
  QPlainTextEdit* Pane() { return Find<QPlainTextEdit>("txtResults"); }
  // The Moon against Mercury, Venus and Jupiter over sixteen days: some forty lines.
  void RunAWeek() {
    RunSettings s = OneDay();
    s.txtEndDate = "12/16/2007";
    s.chkP2Planets[2] = s.chkP2Planets[3] = true;
    Load(s);
    Run("cmdAspectarian");
    QVERIFY(Shown()->rowCount() > 20);
  }

 private slots:
  // One row per report line, in the report's order; clicking a column's head sorts by it
  // (each body in one block), a second click reverses, the date column brings back the
  // report's order. The rows themselves never change, whatever the notation; Ctrl+C copies
  // the rows selected.
  void table_rows_are_the_report_lines_sorted_copied_and_in_any_notation() {
    Open();
    RunAWeek();
    const QStringList lines = ReportLines();
    QCOMPARE(Shown()->rowCount(), lines.size());
    QStringList by_moment;
    for (int r = 0; r < Shown()->rowCount(); ++r) {
      // The role, date and time of the table are those of the report's line.
      QVERIFY2(lines[r].contains(Cell(r, ResultsModel::kP2)) && lines[r].contains(Moment(r)), qPrintable(lines[r]));
      by_moment << RowText(r);
    }

    ClickHeader(ResultsModel::kP2);
    QStringList seen, sorted_keys;
    for (int r = 0; r < Shown()->rowCount(); ++r) {
      const QString body = Cell(r, ResultsModel::kP2);
      if (seen.isEmpty() || seen.back() != body) {
        QVERIFY2(!seen.contains(body), qPrintable(body + " in two blocks"));
        seen << body;
      }
      sorted_keys << RowText(r);
    }
    QCOMPARE(seen.join(","), QString("g. Mercury,g. Venus,g. Jupiter"));  // catalogue order
    QStringList a = sorted_keys, b = by_moment;
    a.sort();
    b.sort();
    QCOMPARE(a, b);  // the same rows
    ClickHeader(ResultsModel::kP2);
    QCOMPARE(Cell(0, ResultsModel::kP2), QString("g. Jupiter"));

    SortByDate();
    QStringList again;
    for (int r = 0; r < Shown()->rowCount(); ++r) again << RowText(r);
    QCOMPARE(again, by_moment);

    // View > Notation: with the report's numbers each position and the aspect code of a row
    // read as its report line writes them; glyphs and text change the cells, not the rows.
    Find<QAction>("mnuNotationNumbers")->trigger();
    for (int r = 0; r < Shown()->rowCount(); ++r) {
      for (int c : {int(ResultsModel::kPos1), int(ResultsModel::kPos2)}) {
        QVERIFY2(lines[r].contains("  " + Cell(r, c) + " ") || lines[r].contains(" " + Cell(r, c) + "  "),
                 qPrintable(lines[r] + " | " + Cell(r, c)));
      }
      QVERIFY2(lines[r].endsWith(" " + Cell(r, ResultsModel::kAspects)), qPrintable(lines[r]));
    }
    const QString numbers = Cell(0, ResultsModel::kPos1);
    Find<QAction>("mnuNotationText")->trigger();
    const QString text = Cell(0, ResultsModel::kPos1);
    Find<QAction>("mnuNotationGlyphs")->trigger();
    QVERIFY(text != numbers && Cell(0, ResultsModel::kPos1) != text);
    QCOMPARE(Shown()->rowCount(), int(lines.size()));

    // Ctrl+C puts the selected rows on the clipboard as the report's own lines, and as
    // tab-separated values (a header, then a row per line) for a spreadsheet.
    ClickHeader(ResultsModel::kP2);  // copied in the order shown, not the report's
    Table()->setFocus();
    const auto click_row = [&](int row, Qt::KeyboardModifiers modifiers) {
      QTest::mouseClick(Table()->viewport(), Qt::LeftButton, modifiers,
                        Table()->visualRect(Shown()->index(row, 0)).center());
    };
    click_row(1, {});
    click_row(3, Qt::ShiftModifier);
    click_row(6, Qt::ControlModifier);
    QTest::keyClick(Table(), Qt::Key_C, Qt::ControlModifier);

    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    const QStringList pasted = copied->text().split('\n', Qt::SkipEmptyParts);
    const QStringList tsv = QString::fromUtf8(copied->data("text/tab-separated-values")).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(pasted.size(), 4);
    QCOMPARE(tsv.size(), 5);
    QCOMPARE(tsv[0].split('\t').size(), int(ResultsModel::kColumnCount));
    int i = 0;
    for (int row : {1, 2, 3, 6}) {
      QVERIFY2(lines.contains(pasted[i]), qPrintable(pasted[i]));
      QVERIFY2(pasted[i].contains(Moment(row)), qPrintable(pasted[i]));
      const QStringList cells = tsv[i + 1].split('\t');
      QCOMPARE(cells[ResultsModel::kP2], Cell(row, ResultsModel::kP2));
      QCOMPARE(cells[ResultsModel::kTime], Cell(row, ResultsModel::kTime));
      ++i;
    }
  }

  // Typing narrows the rows to those holding the text (a body, a date); Ctrl+F reaches the
  // box from anywhere, and an empty box shows every row again.
  void filter_narrows_as_one_types_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("body") << "Jupiter";
    QTest::newRow("lower case") << "venus";
    QTest::newRow("date") << "12/03/2007";
    QTest::newRow("nothing matches") << "Pluto";
  }
  void filter_narrows_as_one_types() {
    QFETCH(QString, typed);
    Open();
    RunAWeek();
    const QStringList lines = ReportLines();
    QLineEdit* box = Filter(typed);
    QTRY_COMPARE(Shown()->rowCount(), int(lines.filter(typed, Qt::CaseInsensitive).size()));
    for (int r = 0; r < Shown()->rowCount(); ++r) QVERIFY2(RowText(r).contains(typed, Qt::CaseInsensitive), qPrintable(RowText(r)));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTRY_COMPARE(Shown()->rowCount(), int(lines.size()));
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

  // Tab walks the controls as the screen reads them, row by row; the access keys reach the
  // switches and the run commands.
  void tab_order_and_access_keys_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("span to zone") << "txtEndDate" << "txtTZ";
    QTest::newRow("orbs to daily times") << "txtAspectOrb2" << "txtStartTime";
    QTest::newRow("boxes to the date button") << "txtEndTime" << "cmdEndDateSameAsStartDate";
    QTest::newRow("button to the switches") << "cmdEndDateSameAsStartDate" << "chkUseP3";
    QTest::newRow("across a body's row") << "chkP1Planets_4" << "chkP2Planets_4";
    QTest::newRow("end of a row to the next") << "chkP3Planets_4" << "chkP1Planets_5";
    QTest::newRow("last body to the run command") << "chkP3Planets_25" << "cmdAspectarian";
  }
  void tab_order_and_access_keys() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    Open();
    auto* start = Find<QWidget>(from.toLatin1().constData());
    start->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(start->hasFocus());
    QTest::keyClick(start, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), to);

    auto* triple = Find<QCheckBox>("chkUseP3");
    const bool was = triple->isChecked();
    QTest::keyClick(window_.get(), Qt::Key_3, Qt::AltModifier);
    QTRY_COMPARE(triple->isChecked(), !was);  // pressed, then released a moment later
  }

  // A million rows through the model and a view: every row reachable by scrolling, sorted
  // and narrowed without losing or inventing a row. (How fast: bench/results_table.cpp.)
  void a_million_rows_sort_filter_and_scroll() {
    constexpr int kRows = 1000000;
    FoundAspects rows(kRows);
    for (int i = 0; i < kRows; ++i) {
      FoundAspect& r = rows[static_cast<size_t>(i)];
      r.body = {idxMoon, i % 3 == 0 ? 5 : 0, 0};  // every third row the Moon to Jupiter
      r.jd_ut = 2451545.0 + i / 1440.0;             // a minute apart from 1 January 2000, noon UT
      r.position = {std::fmod(i * 0.37, 360.0), std::fmod(i * 0.011, 360.0), 0.0};
    }
    RunSettings s;
    s.chkUseP3 = false;
    s.txtTZ = "0";
    ResultsModel model;
    model.SetRun(ScanKind::Longitude, s, RegionalFormat{}, std::move(rows));
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(800, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(model.rowCount(), kRows);
    view.scrollToBottom();
    QCOMPARE(view.rowAt(view.viewport()->height() - 2), kRows - 1);
    // 999999 minutes after 2000-01-01 12:00 UT is 2001-11-25 22:39.
    QCOMPARE(model.index(kRows - 1, ResultsModel::kDate).data().toString(), QString("11/25/2001"));
    QCOMPARE(model.index(kRows - 1, ResultsModel::kTime).data().toString(), QString("22:39"));

    // Two thirds of the rows are the Moon to the Sun, which comes first in the catalogue.
    model.sort(ResultsModel::kP2, Qt::AscendingOrder);
    QCOMPARE(model.index(kRows * 2 / 3 - 1, ResultsModel::kP2).data().toString(), QString("g. Sun"));
    QCOMPARE(model.index(kRows * 2 / 3, ResultsModel::kP2).data().toString(), QString("g. Jupiter"));
    model.sort(ResultsModel::kTime, Qt::DescendingOrder);
    QCOMPARE(model.index(0, ResultsModel::kTime).data().toString(), QString("22:39"));
    QCOMPARE(model.index(kRows - 1, ResultsModel::kDate).data().toString(), QString("01/01/2000"));
    QCOMPARE(model.index(kRows - 1, ResultsModel::kTime).data().toString(), QString("12:00"));
    QCOMPARE(model.runRows().size(), size_t(kRows));

    model.SetNeedle("Jupiter");
    QCOMPARE(model.rowCount(), (kRows + 2) / 3);
    model.SetNeedle("");
    QCOMPARE(model.rowCount(), kRows);
  }

  // Ctrl+Return and Ctrl+Shift+Return run; Enter in a text box runs the kind run last; Esc
  // cancels a run.
  void keyboard_runs_and_cancels() {
    Open();
    Load(OneDay());
    QTest::keyClick(window_.get(), Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running() && Status().contains("decl"), kRunTimeoutMs);
    QTest::keyClick(window_.get(), Qt::Key_Return, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running() && Status().contains("noRA.txt"), kRunTimeoutMs);
    QVERIFY2(!Status().contains("decl"), qPrintable(Status()));

    Type("txtAspectOrb1", "2");
    QTest::keyClick(Find("txtAspectOrb1"), Qt::Key_Return);  // the longitude run was the last
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running() && Status().contains("_5_2_15.0_"), kRunTimeoutMs);
    QVERIFY2(!Status().contains("decl"), qPrintable(Status()));

    RunSettings long_run;
    long_run.txtStartDate = "01/01/1900";
    long_run.txtEndDate = "12/31/2099";
    Load(long_run, "long.opt");
    QTest::keyClick(window_.get(), Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(window_->running());
    QTRY_VERIFY_WITH_TIMEOUT(Find<QProgressBar>("prgRun")->value() > 0, kRunTimeoutMs);
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->running(), kRunTimeoutMs);
    QVERIFY2(Status().contains("cancelled"), qPrintable(Status()));
  }

  // What the user chose comes back at the next start: bodies and switches, the size, the
  // splitter, the sort, the notation and the results view; the start-up file keeps its lines.
  void choices_come_back_at_the_next_start() {
    Open();
    QTest::mouseClick(Find<QPushButton>("cmdP1Planets"), Qt::LeftButton);  // Sun to Pluto
    QTest::mouseClick(Find<QPushButton>("cmdP3None"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkP3Planets_25"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkDisplayP1_P2P3_mp_aspects"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkUse_RA"), Qt::LeftButton);
    Type("txtAspectOrb2", "7");
    Find<QAction>("mnuNotationText")->trigger();
    Find<QAction>("mnuViewReport")->trigger();
    window_->resize(900, 640);
    auto* splitter = Find<QSplitter>("splitMain");
    splitter->setSizes({350, 500});
    const QList<int> sizes = splitter->sizes();
    ClickHeader(ResultsModel::kTime);
    const RunSettings chosen = window_->ControlsToSettings();
    QVERIFY(chosen.chkP1Planets[9] && !chosen.chkP1Planets[10] && chosen.chkP3Planets[25] && !chosen.chkP3Planets[0]);
    QVERIFY(window_->close());
    QCOMPARE(Read(world_->file("Quillmere.ini")).count("\r\n"), 7);
    window_.reset();

    Open();
    QVERIFY(window_->ControlsToSettings() == chosen);
    QCOMPARE(window_->size(), QSize(900, 640));
    QCOMPARE(Find<QSplitter>("splitMain")->sizes(), sizes);
    QVERIFY(Find<QAction>("mnuNotationText")->isChecked());
    QCOMPARE(window_->notation(), Notation::Text);
    QCOMPARE(Find<QTabWidget>("tabResults")->currentWidget(), static_cast<QWidget*>(Pane()));
    QCOMPARE(Table()->horizontalHeader()->sortIndicatorSection(), int(ResultsModel::kTime));
  }

  // A window last seen on a screen that is gone comes back onto one; one that can still be
  // grabbed by its title stays where it was.
  void remembered_place_is_brought_onto_a_screen_data() {
    QTest::addColumn<QRect>("remembered");
    QTest::addColumn<QRect>("placed");
    const QRect laptop(0, 0, 1366, 728), second(1366, 0, 1920, 1050);
    QTest::newRow("on the screen") << QRect(100, 50, 900, 600) << QRect(100, 50, 900, 600);
    QTest::newRow("on the second screen") << QRect(2000, 100, 900, 600) << QRect(2000, 100, 900, 600);
    QTest::newRow("title strip just reachable") << QRect(1266, 700, 900, 600) << QRect(1266, 700, 900, 600);
    QTest::newRow("second screen unplugged") << QRect(4000, 100, 900, 600) << QRect(466, 100, 900, 600);
    QTest::newRow("title above the top") << QRect(100, -300, 900, 600) << QRect(100, 0, 900, 600);
    QTest::newRow("larger than the screen") << QRect(-3000, 0, 1920, 1080) << QRect(0, 0, 1366, 728);
    Q_UNUSED(second);
  }
  void remembered_place_is_brought_onto_a_screen() {
    QFETCH(QRect, remembered);
    QFETCH(QRect, placed);
    QCOMPARE(OnSomeScreen(remembered, {QRect(0, 0, 1366, 728), QRect(1366, 0, 1920, 1050)}), placed);
  }
};

TARNWICK_WINDOW_TEST(ResultsTableTest);
#include "results_table_test.moc"
