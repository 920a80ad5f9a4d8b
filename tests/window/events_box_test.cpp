// The "Events" group as a user meets it: "Events only" waits for a kind of event; the events
// chosen join the report, its file name and the CSV export; a calendar leaves the aspects out.
#include "window/events_box.h"
#include "window_fixture.h"

using namespace tarnwick;

class EventsBoxTest : public WindowTest {
  Q_OBJECT

  QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
  // A click on the box's indicator, at its left: a wide box takes no click beyond its label.
  void Toggle(const char* name) {
    QTest::mouseClick(Box(name), Qt::LeftButton, {}, QPoint(6, Box(name)->height() / 2));
  }
  QString Pane() { return Find<QPlainTextEdit>("txtResults")->toPlainText(); }

 private slots:
  void events_only_waits_for_a_kind() {
    Open();
    QVERIFY(Find<EventsBox>("grpEvents")->title() == "Events");
    QVERIFY(!Box("chkEventsOnly")->isEnabled());
    Toggle("chkEventLunations");
    QVERIFY(Box("chkEventsOnly")->isEnabled());
    Toggle("chkEventsOnly");
    QVERIFY(Box("chkEventsOnly")->isChecked());
    Toggle("chkEventLunations");  // no kind left: no calendar either
    QVERIFY(!Box("chkEventsOnly")->isChecked());
    QVERIFY(!Box("chkEventsOnly")->isEnabled());
  }

  // P1 heliocentric: only ingresses are offered; back on "g" the other checks are as they were.
  void heliocentric_p1_offers_ingresses_only() {
    Open();
    Toggle("chkEventStations");
    Toggle("chkEventsOnly");
    QTest::mouseClick(Find<QRadioButton>("opt1_ghd_1"), Qt::LeftButton);
    QVERIFY(!Box("chkEventStations")->isEnabled() && !Box("chkEventVoc")->isEnabled());
    QVERIFY(Box("chkEventIngresses")->isEnabled());
    QVERIFY(!Box("chkEventsOnly")->isEnabled());  // stations were the only kind chosen
    QVERIFY(!Find<EventsBox>("grpEvents")->Choice().any());
    QTest::mouseClick(Find<QRadioButton>("opt1_ghd_0"), Qt::LeftButton);
    QVERIFY(Box("chkEventStations")->isEnabled() && Box("chkEventStations")->isChecked());
    QVERIFY(Find<EventsBox>("grpEvents")->Choice().Has(EventKind::Station));
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
    QVERIFY2(Pane().indexOf(lunation) >= 0 && Pane().indexOf(lunation) < Pane().indexOf(aspect), qPrintable(Pane()));
    const QString name = "12012007_12012007_5_3.0_15.0_gg_mp_15_noRA_events.txt";
    QCOMPARE(QDir(world_->file("data")).entryList(QDir::Files), QStringList{name});

    world_->chooser->answers = {world_->file("rows.csv")};
    Find<QAction>("mnuFileExportCsv")->trigger();
    const QStringList records = Read(world_->file("rows.csv")).split("\r\n");
    QCOMPARE(records.size(), 4);  // header, the lunation, the aspect, "" after the last CR LF
    QVERIFY2(records[1].startsWith("event: lunation,Moon,geocentric,"), qPrintable(records[1]));
    QVERIFY2(records[2].startsWith("longitude,Moon,geocentric,Jupiter,"), qPrintable(records[2]));

    // A calendar of the same events: no aspect line, a file of its own.
    Toggle("chkEventsOnly");
    Run("cmdAspectarian");
    QVERIFY2(Pane().contains(lunation) && !Pane().contains(aspect), qPrintable(Pane()));
    QVERIFY(QFileInfo::exists(world_->file("data/12012007_12012007_5_events_g.txt")));
    QVERIFY(QFileInfo::exists(world_->file("data/" + name)));
  }
};

QTEST_MAIN(EventsBoxTest)
#include "events_box_test.moc"
