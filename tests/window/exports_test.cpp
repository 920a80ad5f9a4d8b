// The exports of the File menu and the Time Zone box's zone names, used as a user does:
// typing, picking from the completion list, triggering menu items, answering the dialogs.
#include <QAbstractItemView>
#include <QCompleter>
#include <QPrinter>
#include <QTableView>

#include "window/run_exports.h"
#include "window_fixture.h"

using namespace tarnwick;

class ExportsTest : public WindowTest {
  Q_OBJECT

 private slots:
  // Part of a name brings up the list; Down and Return take the zone; the run's report is
  // named after it (made file-safe) and shows Berlin's civil time (winter: UT + 1 hour). Print...
  // then hands the pages to the printer the user set up (here a PDF file printer).
  void time_zone_box_takes_a_zone_from_the_completion_list_and_print_prints_the_run() {
    Open();
    QAction* print = Find<QAction>("mnuFilePrint");
    QVERIFY(!print->isEnabled());
    Load(OneDay());
    auto* completer = Find<QCompleter>("txtTZCompleter");
    // A number opens no list.
    Type("txtTZ", "-5");
    QVERIFY(!completer->popup()->isVisible());
    Type("txtTZ", "berl");
    QTRY_VERIFY(completer->popup()->isVisible());
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QCOMPARE(Find("txtTZ")->text(), QString("Europe/Berlin"));
    QVERIFY(!completer->popup()->isVisible());

    Run("cmdAspectarian");
    const QString name = "12012007_12012007_Europe-Berlin_3.0_15.0_gg_mp_15_noRA.txt";
    QVERIFY2(Status().contains(name), qPrintable(Status()));
    // 16:56 UT (11:56 in zone 5) is 17:56 in Berlin.
    QVERIFY2(PaneText().contains("12/01/2007 17:56"), qPrintable(PaneText()));

    const QString file = world_->file("printed.pdf");
    window_->findChild<RunExports*>()->SetPrinterSetup([file](QPrinter& printer, QWidget*) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(file);
      return true;
    });
    print->trigger();
    QVERIFY2(Status().contains("Printed 1 page"), qPrintable(Status()));
    QVERIFY(Read(file).startsWith("%PDF-"));
  }

  // Off before a run; then the file the user names holds the format, the offered name is the
  // report's with the format's suffix, and a file that cannot be written is named with why.
  void each_export_writes_the_last_run() {
    struct Row { const char* action; QString suffix; QString begins; };
    const Row rows[] = {
        {"mnuFileExportCsv", "csv", "kind,p1,"},        // Export CSV...
        {"mnuFileExportCsvFormat", "csv", "kind,p1,"},  // CSV from the submenu
        {"mnuFileExportIcs", "ics", "BEGIN:VCALENDAR\r\n"},
        {"mnuFileExportPdfFormat", "pdf", "%PDF-"},     // PDF from the submenu
        {"mnuFileExportPdf", "pdf", "%PDF-"},           // Export PDF...
        {"mnuFileExportText", "txt", "\r\ng. Moon     g. Jupiter  12/01/2007 11:56"},
    };
    Open();
    for (const Row& r : rows) QVERIFY2(!Find<QAction>(r.action)->isEnabled(), r.action);
    Load(OneDay());
    Run("cmdAspectarian");
    for (const Row& r : rows) {
      QAction* exporter = Find<QAction>(r.action);
      const QString missing = world_->file("no such folder/out." + r.suffix);
      const QString file = world_->file("data/" + QString(r.action) + "." + r.suffix);
      world_->chooser->answers = {missing, file};
      exporter->trigger();
      const QString preset = world_->chooser->requests.back().preset_name;
      QVERIFY2(preset.endsWith("data/12012007_12012007_5_3.0_15.0_gg_mp_15_noRA." + r.suffix), qPrintable(preset));
      ExpectMessage(window_.get(), {missing, "No such file or directory"});
      QVERIFY(!QFileInfo::exists(world_->file("no such folder")));
      exporter->trigger();
      QVERIFY2(Status().contains(QFileInfo(file).fileName()), qPrintable(Status()));
      QVERIFY2(Read(file).startsWith(r.begins), qPrintable(Read(file).left(60)));
    }
  }

  // With "Only the rows shown or selected" on, an export holds the rows the filter shows, or
  // the selected ones, each as the report writes it; off, or with the whole run shown and
  // nothing selected, the whole report.
  void export_of_the_rows_the_table_shows_or_has_selected() {
    Open();
    Load(OneDay());
    Type("txtEndDate", "12/07/2007");  // a week of the Moon and Jupiter's partners
    Run("cmdAspectarian");
    const auto report_lines = [](const QStringList& all) { return all.filter(QRegularExpression("^g\\. ")); };
    const QStringList lines = report_lines(PaneText().split('\n', Qt::SkipEmptyParts));
    QVERIFY2(lines.size() >= 3, qPrintable(PaneText()));
    Find<QAction>("mnuFileExportTableRows")->setChecked(true);
    const auto exported = [&] {
      world_->chooser->answers = {world_->file("part.txt")};
      Find<QAction>("mnuFileExportText")->trigger();
      return report_lines(Read(world_->file("part.txt")).split("\r\n", Qt::SkipEmptyParts));
    };
    QCOMPARE(exported(), lines);  // the whole run shown, nothing selected

    QTest::keyClicks(Find("txtFilter"), "Jupiter");
    const QStringList jupiter = lines.filter("Jupiter");
    QTRY_COMPARE(Table()->model()->rowCount(), int(jupiter.size()));
    QCOMPARE(exported(), jupiter);
    Table()->selectRow(1);
    QCOMPARE(exported(), QStringList{jupiter[1]});
    Find<QAction>("mnuFileExportTableRows")->setChecked(false);
    QCOMPARE(exported(), lines);
  }
};

TARNWICK_WINDOW_TEST(ExportsTest);
#include "exports_test.moc"
