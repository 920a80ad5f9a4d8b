// The Chart menu as a user works it: type a chart, see its positions, choose n for P2, run,
// save the chart and open it again; a chart that does not read keeps the dialog open.
#include <QDirIterator>

#include "store/chart_file.h"
#include "window/chart_window.h"
#include "tests/support/report_pieces.h"
#include "window_fixture.h"

namespace tarnwick {

class ChartWindowTest : public WindowTest {
  Q_OBJECT

  // The dialog the action opens (window-modal, made when the action is triggered).
  ChartDialog* OpenDialog(const char* action) {
    Find<QAction>(action)->trigger();
    auto* dialog = window_->findChild<ChartDialog*>(QStringLiteral("dlgChart"));
    if (!dialog || !dialog->isVisible()) qFatal("%s opened no chart dialog", action);
    return dialog;
  }
  // Types each text into its box of the dialog.
  void Fill(QWidget* dialog, std::initializer_list<std::pair<const char*, QString>> texts) {
    for (const auto& [box, text] : texts) Retype(Find(box, dialog), text);
  }

 private slots:
  void typed_chart_shows_positions_and_serves_the_natal_centre_and_one_that_does_not_read_is_refused() {
    Open();
    auto* natal_p2 = Find<QRadioButton>("opt2_ghd_2");
    QVERIFY(!natal_p2->isEnabled());  // no chart yet

    ChartDialog* dialog = OpenDialog("mnuChartNew");
    Fill(dialog, {{"txtChartName", "Ann"}, {"txtChartDate", "03/18/1990"}, {"txtChartTime", "12:00"},
                  {"txtChartZone", "0"}, {"txtChartPlace", "52N31 13E24"}});
    Click("cmdChartCompute", dialog);
    auto* table = Find<QTableWidget>("tblChartPositions", dialog);
    // 25 bodies, Ascendant, Midheaven; their positions are tested in natal_test.cpp.
    QCOMPARE(table->rowCount(), 27);
    QCOMPARE(table->item(0, 0)->text() + " / " + table->item(26, 0)->text(), QStringLiteral("Sun / Midheaven"));
    Click("cmdChartOk", dialog);
    QTRY_VERIFY(natal_p2->isEnabled());
    QCOMPARE(Find<QLabel>("lblChartName")->text(), QStringLiteral("Chart: Ann (n)"));
    // A run on the natal centre: angle_rows_enable_only_on_n_with_a_placed_chart below.

    // Saved: the chart typed. (A chart file opened: angle_rows_enable_only_on_n_with_a_placed_chart.)
    Choose(world_->file("ann.chart"), "mnuChartSave");
    const ChartLoad saved = LoadChartFile(world_->file("ann.chart").toStdString());
    QVERIFY2(saved.ok, saved.message.c_str());
    QVERIFY(saved.chart == (NatalChart{"Ann", "03/18/1990", "12:00", "0", "52N31 13E24"}));

    // The next start takes the same chart and still knows its file.
    QVERIFY(window_->close());
    Open();
    QCOMPARE(Find<QLabel>("lblChartName")->text(), QStringLiteral("Chart: Ann (n)"));
    QVERIFY(Find<QRadioButton>("opt2_ghd_2")->isEnabled());
    Choose(std::nullopt, "mnuChartSave");
    QCOMPARE(world_->chooser->requests.back().preset_name, world_->file("ann.chart"));

    // A remembered chart whose birth data no longer read is not taken, and the status line
    // says so.
    QVERIFY(window_->close());
    const QString state = QDirIterator(world_->folder.path(), {"window.state"}, QDir::Files,
                                       QDirIterator::Subdirectories).next();
    Write(state, Read(state).replace("chart.date=03/18/1990", "chart.date=02/30/1990").toStdString());
    Open();
    QCOMPARE(Find<QLabel>("lblChartName")->text(), QStringLiteral("No chart (n)"));
    QVERIFY2(Status().contains(QStringLiteral("was not opened again")), qPrintable(Status()));

    // A chart that does not read keeps the dialog open.
    ChartDialog* bad = OpenDialog("mnuChartNew");
    Fill(bad, {{"txtChartDate", "02/30/1990"}, {"txtChartTime", "12:00"}, {"txtChartZone", "0"}});
    Click("cmdChartOk", bad);
    QVERIFY(bad->isVisible());
    QVERIFY(Find<QLabel>("lblChartProblems", bad)->text().startsWith(QStringLiteral("Birth date: \"02/30/1990\"")));
    QVERIFY(!Find<QRadioButton>("opt2_ghd_2")->isEnabled());
    bad->reject();
    // A file that is no chart: the status line names it, nothing changes.
    Write(world_->file("bad.chart"), "date=01/01/2000\r\nplanet=Mars\r\n");
    Choose(world_->file("bad.chart"), "mnuChartOpen");
    QVERIFY2(Status().contains(QStringLiteral("is not a chart: line 2")), qPrintable(Status()));
    QCOMPARE(Find<QLabel>("lblChartName")->text(), QStringLiteral("No chart (n)"));
  }

  // The chart angles' boxes of P2 and P3 serve only the centre n of a chart with a place.
  // Checked, a run names the angle like a body: "n. MC".
  void angle_rows_enable_only_on_n_with_a_placed_chart() {
    struct Row { const char* place; bool natal; bool enabled; };  // place nullptr: no chart; natal: P2 on n
    const Row rows[] = {{nullptr, false, false}, {"52N31 13E24", false, false}, {"52N31 13E24", true, true}, {"", true, false}};
    // Transiting Saturn over 2025 in zone 0, two-body aspects, no body for P2.
    RunSettings saturn = OneDay("01/01/2025", "12/31/2025");
    saturn.txtTZ = "0";
    saturn.chkP1Planets = BodyList({6});
    saturn.chkP2Planets = {};
    for (const Row& r : rows) {
      Afresh();
      Open();
      Load(saturn);
      if (r.place) {
        QVERIFY(SaveChartFile(world_->file("ann.chart").toStdString(), {"Ann", "03/18/1990", "12:00", "0", r.place}).ok);
        Choose(world_->file("ann.chart"), "mnuChartOpen");
      }
      if (r.natal) QTest::mouseClick(Find<QRadioButton>("opt2_ghd_2"), Qt::LeftButton);
      auto* mc = Find<QCheckBox>("chkP2Angles_27");
      QCOMPARE(Find<QCheckBox>("chkP2Angles_26")->isEnabled(), r.enabled);
      QCOMPARE(mc->isEnabled(), r.enabled);
      QVERIFY(!Find<QCheckBox>("chkP3Angles_26")->isEnabled());  // P3 stays on g
      if (!r.enabled) continue;
      QTest::mouseClick(mc, Qt::LeftButton);
      Run("cmdAspectarian");
      QVERIFY2(PaneText().contains(QStringLiteral("g. Saturn   n. MC ")), qPrintable(PaneText()));
      QTest::mouseClick(Find<QRadioButton>("opt2_ghd_0"), Qt::LeftButton);
      QVERIFY(!mc->isEnabled());
    }
  }
};

TARNWICK_WINDOW_TEST(ChartWindowTest);

}  // namespace tarnwick
#include "chart_window_test.moc"
