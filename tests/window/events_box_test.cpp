// The "Events" group as a user meets it: "Events only" waits for a kind of event; the events
// chosen join the report and its file name; a calendar leaves the aspects out.
#include "window/events_box.h"
#include "window/results_model.h"
#include "window_fixture.h"

using namespace tarnwick;

class EventsBoxTest : public WindowTest {
  Q_OBJECT

  QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
  // A click on the box's indicator, at its left: a wide box takes no click beyond its label.
  void Toggle(const char* name) { QTest::mouseClick(Box(name), Qt::LeftButton, {}, QPoint(6, Box(name)->height() / 2)); }

 private slots:
  // "Events only" waits for a kind of event. P1 heliocentric: only ingresses are offered; back
  // on "g" the other checks are as they were.
  void events_only_waits_for_a_kind_and_heliocentric_p1_offers_ingresses_only() {
    Open();
    QVERIFY(!Box("chkEventsOnly")->isEnabled());
    for (const char* box : {"chkEventLunations", "chkEventsOnly"}) Toggle(box);
    QVERIFY(Box("chkEventsOnly")->isChecked());
    Toggle("chkEventLunations");  // no kind left: no calendar either
    QVERIFY(!Box("chkEventsOnly")->isChecked() && !Box("chkEventsOnly")->isEnabled());

    for (const char* box : {"chkEventStations", "chkEventsOnly"}) Toggle(box);
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
    // Every void period of the span begins at the Moon's 105-degree aspect to Jupiter, or
    // has none in its sign. (Which void periods there are: sky_events_test.cpp.)
    const QStringList voids = PaneText().split('\n').filter(" void ");
    QVERIFY2(!voids.isEmpty(), qPrintable(PaneText()));
    for (const QString& line : voids)
      QVERIFY2(line.contains("after 105 degrees Jupiter") || line.contains("no aspect in the sign"), qPrintable(line));
  }

  // The events chosen join the report and its file name, each a table row of its own where its
  // line stands in the report (time order, the aspect first at one moment), its P1 in italics;
  // sorted by P2 the events come after every body, a block per word. A calendar leaves the
  // aspects out. (The events' lines and CSV records: report_lines_test.cpp, csv_export_test.cpp.) Filtering, copying and the notations of rows are tested in
  // results_table_test.cpp; the moments of stations and eclipses in sky_events_test.cpp.
  void events_are_rows_of_the_table_in_time_order() {
    Open();
    // Mercury and the Moon against the Sun and Jupiter from 01/20/2008 to 02/25/2008, with
    // stations and lunations.
    RunSettings s = OneDay("01/20/2008", "02/25/2008");
    s.chkP1Planets[2] = true;  // Mercury
    Load(s);
    for (const char* box : {"chkEventStations", "chkEventLunations"}) Toggle(box);
    Run("cmdAspectarian");
    const QStringList lines = ReportLines();
    ExpectRowsAreLines(lines);
    for (int r = 0; r < lines.size(); ++r) {
      const bool event = QStringList{"station", "lunation"}.contains(Cell(r, ResultsModel::kP2));
      QCOMPARE(Table()->model()->index(r, ResultsModel::kP1).data(Qt::FontRole).value<QFont>().italic(), event);
    }
    ClickHeader(ResultsModel::kP2);
    QStringList blocks = Blocks(ResultsModel::kP2);
    QVERIFY2(blocks.join(",").endsWith("g. Jupiter,station,lunation"), qPrintable(blocks.join(",")));
    QCOMPARE(blocks.removeDuplicates(), 0);
    QCOMPARE(DataFiles(), QStringList{"01202008_02252008_5_3.0_15.0_gg_mp_15_noRA_events.txt"});

    // A calendar of the same events: only their lines, in a file of its own.
    Toggle("chkEventsOnly");
    Run("cmdAspectarian");
    QCOMPARE(ReportLines(), lines.filter(QRegularExpression(" (station|lunation) ")));
    QVERIFY(DataFiles().contains("01202008_02252008_5_events_g.txt"));
  }
};

TARNWICK_WINDOW_TEST(EventsBoxTest);
#include "events_box_test.moc"
