// The "Events" group as a user meets it: "Events only" waits for a kind of event; the events
// chosen join the report, its file name and the CSV export; a calendar leaves the aspects out.
#include "window/events_box.h"
#include "window/results_model.h"
#include "window_fixture.h"

using namespace tarnwick;

class EventsBoxTest : public WindowTest {
  Q_OBJECT

  QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
  // A click on the box's indicator, at its left: a wide box takes no click beyond its label.
  void Toggle(const char* name) {
    QTest::mouseClick(Box(name), Qt::LeftButton, {}, QPoint(6, Box(name)->height() / 2));
  }

 private slots:
  // "Events only" waits for a kind of event. P1 heliocentric: only ingresses are offered; back
  // on "g" the other checks are as they were.
  void events_only_waits_for_a_kind_and_heliocentric_p1_offers_ingresses_only() {
    Open();
    QVERIFY(!Box("chkEventsOnly")->isEnabled());
    Toggle("chkEventLunations");
    Toggle("chkEventsOnly");
    QVERIFY(Box("chkEventsOnly")->isChecked());
    Toggle("chkEventLunations");  // no kind left: no calendar either
    QVERIFY(!Box("chkEventsOnly")->isChecked() && !Box("chkEventsOnly")->isEnabled());

    Toggle("chkEventStations");
    Toggle("chkEventsOnly");
    QTest::mouseClick(Find<QRadioButton>("opt1_ghd_1"), Qt::LeftButton);
    // Stations were the only kind chosen: no calendar either.
    QVERIFY(!Box("chkEventStations")->isEnabled() && !Box("chkEventVoc")->isEnabled() && !Box("chkEventsOnly")->isEnabled());
    QVERIFY(Box("chkEventIngresses")->isEnabled());
    QVERIFY(!Find<EventsBox>("grpEvents")->Choice(nullptr)->any());
    QTest::mouseClick(Find<QRadioButton>("opt1_ghd_0"), Qt::LeftButton);
    QVERIFY(Box("chkEventStations")->isEnabled() && Box("chkEventStations")->isChecked());
    QVERIFY(Find<EventsBox>("grpEvents")->Choice(nullptr)->Has(EventKind::Station));
  }

  // The void Moon's bodies and angles are typed as the runner takes them: off until the kind
  // is chosen; a body that is none refuses the run by naming the box; the ones typed end the
  // Moon's course in the report.
  void void_moon_counts_the_bodies_and_angles_typed() {
    Open();
    QVERIFY(!Find("txtVocBodies")->isEnabled());
    Load(OneDay());
    Toggle("chkEventVoc");
    QVERIFY(Find("txtVocBodies")->isEnabled());
    Retype(Find("txtVocBodies"), "Sun,Vulcan");
    Run("cmdAspectarian");
    ExpectMessage(window_.get(), {"Void Moon bodies", "Vulcan"});
    Retype(Find("txtVocBodies"), "Jupiter");
    Retype(Find("txtVocAspects"), "105");
    Type("txtEndDate", "12/10/2007");
    Run("cmdAspectarian");
    // Every void period of the span begins at the Moon's 105-degree aspect to Jupiter.
    const QStringList voids = PaneText().split('\n').filter(" void ");
    QVERIFY2(!voids.isEmpty(), qPrintable(PaneText()));
    for (const QString& line : voids) {
      QVERIFY2(line.contains("after 105 degrees Jupiter") || line.contains("no aspect in the sign"), qPrintable(line));
    }
  }

  void chosen_events_join_the_report_and_the_csv() {
    Open();
    Load(OneDay());
    Toggle("chkEventLunations");
    Toggle("chkEventIngresses");
    Run("cmdAspectarian");
    // The last quarter of 12/01/2007 12:44 UT, before the day's one aspect.
    const QString lunation = "g. Moon     lunation    12/01/2007 07:44  08.9 (06)  last quarter";
    const QString aspect = "g. Moon     g. Jupiter  12/01/2007 11:56  11.1 (06) 26.1 (09)  105";
    QVERIFY2(PaneText().indexOf(lunation) >= 0 && PaneText().indexOf(lunation) < PaneText().indexOf(aspect), qPrintable(PaneText()));
    const QString name = "12012007_12012007_5_3.0_15.0_gg_mp_15_noRA_events.txt";
    QCOMPARE(DataFiles(), QStringList{name});

    world_->chooser->answers = {world_->file("rows.csv")};
    Find<QAction>("mnuFileExportCsv")->trigger();
    const QStringList records = Read(world_->file("rows.csv")).split("\r\n");
    QCOMPARE(records.size(), 4);  // header, the lunation, the aspect, "" after the last CR LF
    QVERIFY2(records[1].startsWith("event: lunation,Moon,geocentric,"), qPrintable(records[1]));
    QVERIFY2(records[2].startsWith("longitude,Moon,geocentric,Jupiter,"), qPrintable(records[2]));

    // A calendar of the same events: no aspect line, a file of its own.
    Toggle("chkEventsOnly");
    Run("cmdAspectarian");
    QVERIFY2(PaneText().contains(lunation) && !PaneText().contains(aspect), qPrintable(PaneText()));
    QVERIFY(QFileInfo::exists(world_->file("data/12012007_12012007_5_events_g.txt")));
    QVERIFY(QFileInfo::exists(world_->file("data/" + name)));
  }

  // Each event is a table row of its own, where its line stands in the report (time order,
  // the aspect first at one moment), its P1 in italics. Typing "station" keeps exactly the
  // station rows; Ctrl+C on one copies its report line, which the row reads as in the report's
  // numbers. Sorted by P2 the events come after every body, a block per word.
  void events_are_rows_of_the_table_in_time_order() {
    Open();
    // Mercury and the Moon against the Sun and Jupiter from 01/20/2008 to 02/25/2008, with
    // stations and lunations: Mercury turns retrograde on 01/28 and direct on 02/18 (UT),
    // five lunations, two of them with an eclipse.
    RunSettings s = OneDay();
    s.txtStartDate = "01/20/2008";
    s.txtEndDate = "02/25/2008";
    s.chkP1Planets[2] = true;  // Mercury
    Load(s);
    Toggle("chkEventStations");
    Toggle("chkEventLunations");
    Run("cmdAspectarian");
    const QStringList lines = ReportLines();
    QAbstractItemModel* shown = Table()->model();
    QCOMPARE(shown->rowCount(), lines.size());
    int stations = 0, lunations = 0;
    for (int r = 0; r < shown->rowCount(); ++r) {
      // The moment and the second role (an event's word) are those of the report's line r.
      QVERIFY2(lines[r].contains(Moment(r)) && lines[r].contains(Cell(r, ResultsModel::kP2)), qPrintable(lines[r] + " | " + RowText(r)));
      const bool event = lines[r].contains("station") || lines[r].contains("lunation");
      QCOMPARE(shown->index(r, ResultsModel::kP1).data(Qt::FontRole).value<QFont>().italic(), event);
      stations += Cell(r, ResultsModel::kP2) == "station";
      lunations += Cell(r, ResultsModel::kP2) == "lunation";
    }
    QCOMPARE(stations, 2);
    QCOMPARE(lunations, 5);

    QLineEdit* box = Filter("station");
    QTRY_COMPARE(Table()->model()->rowCount(), 2);
    // 20:31 UT: published tables have Mercury stationary on 01/28/2008 near 20:3x UT.
    QCOMPARE(QStringList({Cell(0, ResultsModel::kP1), Cell(0, ResultsModel::kP2), Cell(0, ResultsModel::kDate),
                          Cell(0, ResultsModel::kAspects), Cell(1, ResultsModel::kAspects)}).join('|'),
             QString("g. Mercury|station|01/28/2008|turns retrograde|turns direct"));
    CopyRows({1});
    const QString copied = QGuiApplication::clipboard()->text().trimmed();
    QVERIFY2(lines.contains(copied), qPrintable(copied));
    Find<QAction>("mnuNotationNumbers")->trigger();
    QCOMPARE(Simplified({RowText(1)}), Simplified({copied}));  // the report's own figures
    const QString numbers = Cell(1, ResultsModel::kPos1);
    Find<QAction>("mnuNotationText")->trigger();
    QVERIFY2(Cell(1, ResultsModel::kPos1) != numbers && !Cell(1, ResultsModel::kPos1).isEmpty(), qPrintable(RowText(1)));

    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTRY_COMPARE(Table()->model()->rowCount(), lines.size());
    ClickHeader(ResultsModel::kP2);
    QStringList blocks = Blocks(ResultsModel::kP2);
    QVERIFY2(blocks.join(",").endsWith("g. Jupiter,station,lunation"), qPrintable(blocks.join(",")));
    QCOMPARE(blocks.removeDuplicates(), 0);
    SortByDate();
    ExpectRowsAreLines(lines);

    QTest::keyClicks(box, "eclipse");
    // The annular solar eclipse at the new moon of 02/07 and the total lunar one of 02/21.
    QTRY_COMPARE(Table()->model()->rowCount(), 2);
    QVERIFY2(Cell(0, ResultsModel::kAspects).startsWith("new moon, annular solar eclipse"), qPrintable(RowText(0)));
    QVERIFY2(Cell(1, ResultsModel::kAspects).startsWith("full moon, total lunar eclipse"), qPrintable(RowText(1)));
  }
};

TARNWICK_WINDOW_TEST(EventsBoxTest);
#include "events_box_test.moc"
